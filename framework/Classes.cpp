// TObject, TPersistent and TComponent. String lists, collections and streams
// are in ClassesStrings.cpp, ClassesCollections.cpp and ClassesStreams.cpp.
#include "Classes.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <typeinfo>

// ------------------------------------------------------------ TObject

QString TObject::ClassName() const { return ClassNameOf(typeid(*this)); }

QString ClassNameOf(const std::type_info& type) {
    const char* mangled = type.name();
    int status = 0;
    char* plain = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    QString name = QString::fromLatin1(status == 0 && plain ? plain : mangled);
    std::free(plain);
    const qsizetype scope = name.lastIndexOf(QLatin1String("::"));
    return scope >= 0 ? name.mid(scope + 2) : name;
}

// ------------------------------------------------------------ class registry

namespace {

std::map<QString, TComponentFactory>& ClassRegistry() {
    static std::map<QString, TComponentFactory> registry;
    return registry;
}

}  // namespace

void RegisterClass(const QString& className, TComponentFactory factory) {
    ClassRegistry()[className.toUpper()] = std::move(factory);
}

void UnRegisterClass(const QString& className) {
    ClassRegistry().erase(className.toUpper());
}

TComponentFactory GetClass(const QString& className) {
    const auto found = ClassRegistry().find(className.toUpper());
    return found == ClassRegistry().end() ? TComponentFactory() : found->second;
}

TComponentFactory FindClass(const QString& className) {
    TComponentFactory factory = GetClass(className);
    if (!factory) throw EClassNotFound(QStringLiteral("Class %1 not found").arg(className));
    return factory;
}

// ------------------------------------------------------------ TPersistent

void TPersistent::Assign(TPersistent* Source) {
    if (Source) {
        Source->AssignTo(this);
        return;
    }
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest) {
    Dest->AssignError(this);
}

void TPersistent::AssignError(TPersistent* Source) {
    const QString sourceName = Source ? Source->ClassName() : QStringLiteral("nil");
    throw EConvertError(QStringLiteral("Cannot assign a %1 to a %2").arg(sourceName, ClassName()));
}

// ------------------------------------------------------------ TComponent

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner) {
        AOwner->InsertComponent(this);
        if (AOwner->IsLoading()) {
            state_ << csLoading << csReading;
            // Find the root of the bracket so this component gets Loaded too.
            for (TComponent* c = AOwner; c; c = c->owner_) {
                if (c->loadingList_) {
                    c->loadingList_->push_back(this);
                    break;
                }
            }
        }
    }
}

TComponent::~TComponent() {
    Destroying();
    // Tell every partner that asked to hear of our removal, then forget them.
    while (!freeNotifies_.empty()) {
        TComponent* partner = freeNotifies_.back();
        freeNotifies_.pop_back();
        auto& back = partner->freeNotifies_;
        back.erase(std::remove(back.begin(), back.end(), this), back.end());
        partner->Notification(this, opRemove);
    }
    DestroyComponents();
    if (owner_) owner_->RemoveComponent(this);
    delete loadingList_;
}

TComponent* TComponent::Components(Integer index) const {
    if (index < 0 || index >= ComponentCount())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return components_[size_t(index)];
}

Integer TComponent::ComponentIndex() const {
    if (!owner_) return -1;
    const auto& list = owner_->components_;
    const auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : Integer(it - list.begin());
}

void TComponent::SetName(const QString& name) {
    if (name == name_) return;
    if (!name.isEmpty() && owner_) {
        TComponent* same = owner_->FindComponent(name);
        if (same && same != this)
            throw EComponentError(QStringLiteral("A component named %1 already exists").arg(name));
    }
    name_ = name;
}

TComponent* TComponent::FindComponent(const QString& name) const {
    if (name.isEmpty()) return nullptr;
    for (TComponent* c : components_)
        if (SameText(c->name_, name)) return c;
    return nullptr;
}

void TComponent::beginLoadingTree(std::vector<TComponent*>& marked) {
    state_ << csLoading << csReading;
    marked.push_back(this);
    for (TComponent* c : components_) c->beginLoadingTree(marked);
}

void TComponent::BeginLoading() {
    if (loadingList_) return;
    loadingList_ = new std::vector<TComponent*>();
    beginLoadingTree(*loadingList_);
}

void TComponent::EndLoading() {
    if (!loadingList_) return;
    std::unique_ptr<std::vector<TComponent*>> list(loadingList_);
    loadingList_ = nullptr;
    // Components freed during the bracket have left their owners; only the
    // ones still reachable from this root are told.
    std::vector<TComponent*> alive;
    std::vector<TComponent*> pending{this};
    while (!pending.empty()) {
        TComponent* c = pending.back();
        pending.pop_back();
        alive.push_back(c);
        pending.insert(pending.end(), c->components_.begin(), c->components_.end());
    }
    for (TComponent* c : *list) {
        if (std::find(alive.begin(), alive.end(), c) == alive.end()) continue;
        c->state_ >> csLoading >> csReading;
    }
    for (TComponent* c : *list)
        if (std::find(alive.begin(), alive.end(), c) != alive.end()) c->Loaded();
}

void TComponent::Loaded() {
    state_ >> csLoading;
}

void TComponent::Destroying() {
    if (state_.Contains(csDestroying)) return;
    state_ << csDestroying;
    for (TComponent* c : components_) c->Destroying();
}

void TComponent::insertInto(TComponent* AComponent) {
    components_.push_back(AComponent);
    AComponent->owner_ = this;
}

void TComponent::removeFrom(TComponent* AComponent) {
    components_.erase(std::remove(components_.begin(), components_.end(), AComponent), components_.end());
    AComponent->owner_ = nullptr;
}

void TComponent::InsertComponent(TComponent* AComponent) {
    if (!AComponent || AComponent->owner_ == this) return;
    if (AComponent->owner_) AComponent->owner_->RemoveComponent(AComponent);
    insertInto(AComponent);
    Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
    if (!AComponent || AComponent->owner_ != this) return;
    Notification(AComponent, opRemove);
    removeFrom(AComponent);
}

void TComponent::DestroyComponents() {
    // The platform frees the last-created first.
    while (!components_.empty()) {
        TComponent* c = components_.back();
        removeFrom(c);
        delete c;
    }
}

void TComponent::FreeNotification(TComponent* AComponent) {
    if (!AComponent || AComponent == this) return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), AComponent) == freeNotifies_.end())
        freeNotifies_.push_back(AComponent);
    auto& back = AComponent->freeNotifies_;
    if (std::find(back.begin(), back.end(), this) == back.end()) back.push_back(this);
    state_ << csFreeNotification;
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
    if (!AComponent) return;
    freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), AComponent), freeNotifies_.end());
    auto& back = AComponent->freeNotifies_;
    back.erase(std::remove(back.begin(), back.end(), this), back.end());
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
    // Copy: a handler may free components of ours.
    const std::vector<TComponent*> owned = components_;
    for (TComponent* c : owned)
        if (std::find(components_.begin(), components_.end(), c) != components_.end())
            c->Notification(AComponent, Operation);
}

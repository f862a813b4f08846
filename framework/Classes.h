// The component model: objects, persistent objects, components with owners,
// string lists, collections and streams.
#pragma once

#include "SysUtils.h"
#include "Types.h"

#include <QtCore/QByteArray>
#include <QtCore/QString>

#include <functional>
#include <memory>
#include <typeinfo>
#include <vector>

// ------------------------------------------------------------ TObject

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;
    // The class name as the platform reports it ("TSEdit"); classes that are
    // stored or registered by name override it.
    virtual QString ClassName() const;
};

// Deletes an object and clears the pointer, as the platform's FreeAndNil.
template <typename T>
void FreeAndNil(T*& p) {
    T* q = p;
    p = nullptr;
    delete q;
}

// ------------------------------------------------------------ class registry

class TComponent;

// Makes a component of a registered class with the given owner.
using TComponentFactory = std::function<TComponent*(TComponent* AOwner)>;

// Stored forms and report files name the classes they hold; a class is
// registered once under its name (case-insensitive; a second registration
// of a name replaces the first).
void RegisterClass(const QString& className, TComponentFactory factory);
void UnRegisterClass(const QString& className);
// The class's factory, or an empty one when the name is not registered.
TComponentFactory GetClass(const QString& className);
// As GetClass; EClassNotFound ("Class <name> not found") when not registered.
TComponentFactory FindClass(const QString& className);

// The plain name of a C++ class ("TQRLabel"), as ClassName reports it.
QString ClassNameOf(const std::type_info& type);

// Registers T under its own class name.
template <class T> void RegisterComponentClass() {
    RegisterClass(ClassNameOf(typeid(T)), [](TComponent* owner) -> TComponent* { return new T(owner); });
}

// ------------------------------------------------------------ TPersistent

class TPersistent : public TObject {
public:
    // Copies Source into this object; the base asks Source->AssignTo and
    // raises EConvertError ("Cannot assign a %s to a %s") when nobody can.
    virtual void Assign(TPersistent* Source);
    virtual TPersistent* GetOwner() const { return nullptr; }

protected:
    virtual void AssignTo(TPersistent* Dest);
    [[noreturn]] void AssignError(TPersistent* Source);
};

// ------------------------------------------------------------ TComponent

enum TComponentStateValue {
    csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor,
    csUpdating, csFixups, csFreeNotification, csInline, csDesignInstance
};
using TComponentState = Set<TComponentStateValue>;

enum TOperation { opInsert, opRemove };

class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;

    TComponent* Owner() const { return owner_; }
    TPersistent* GetOwner() const override { return owner_; }
    Integer ComponentCount() const { return Integer(components_.size()); }
    TComponent* Components(Integer index) const;
    Integer ComponentIndex() const;

    const QString& Name() const { return name_; }
    virtual void SetName(const QString& name);
    Integer Tag() const { return tag_; }
    void SetTag(Integer tag) { tag_ = tag; }

    // Case-insensitive search among the owned components; "" finds nothing.
    TComponent* FindComponent(const QString& name) const;

    TComponentState ComponentState() const { return state_; }
    bool IsLoading() const { return state_.Contains(csLoading); }
    bool IsDestroying() const { return state_.Contains(csDestroying); }
    // The loading bracket of a form built in code: BeginLoading marks this
    // component and everything it owns (and whatever is created under it
    // meanwhile) csLoading + csReading; EndLoading clears the marks and calls
    // Loaded on each, in creation order.
    void BeginLoading();
    void EndLoading();
    // Marks this component and everything it owns csDestroying.
    void Destroying();

    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);
    void DestroyComponents();

    // Asks to be told (Notification with opRemove) when AComponent goes away.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

protected:
    virtual void Loaded();
    // The base forgets AComponent as a notification partner and passes the
    // news on to every owned component.
    virtual void Notification(TComponent* AComponent, TOperation Operation);

private:
    void insertInto(TComponent* AComponent);
    void removeFrom(TComponent* AComponent);
    void beginLoadingTree(std::vector<TComponent*>& marked);

    TComponent* owner_ = nullptr;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    QString name_;
    Integer tag_ = 0;
    TComponentState state_;
    std::vector<TComponent*>* loadingList_ = nullptr;  // set on the root of a loading bracket
};

// ------------------------------------------------------------ string lists

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStream;

class TStrings : public TPersistent {
public:
    virtual Integer Count() const = 0;
    virtual QString Get(Integer index) const = 0;  // EListError out of range
    virtual void Put(Integer index, const QString& s);
    virtual TObject* GetObject(Integer index) const;
    virtual void PutObject(Integer index, TObject* obj);
    virtual void Insert(Integer index, const QString& s) = 0;
    virtual void Delete(Integer index) = 0;
    virtual void Clear() = 0;
    virtual Integer Add(const QString& s);
    virtual Integer AddObject(const QString& s, TObject* obj);
    void InsertObject(Integer index, const QString& s, TObject* obj);
    void AddStrings(const TStrings& strings);
    void Append(const QString& s) { Add(s); }
    virtual void Exchange(Integer a, Integer b);
    virtual void Move(Integer from, Integer to);
    // Case-insensitive, as the platform's default.
    virtual Integer IndexOf(const QString& s) const;
    Integer IndexOfName(const QString& name) const;
    Integer IndexOfObject(TObject* obj) const;

    QString operator[](Integer index) const { return Get(index); }
    QString Strings(Integer index) const { return Get(index); }
    TObject* Objects(Integer index) const { return GetObject(index); }

    // Lines joined with CR LF (each line ends with one); the setter splits
    // at CR LF, CR or LF.
    virtual QString Text() const;
    virtual void SetText(const QString& text);
    QString CommaText() const;
    void SetCommaText(const QString& text);
    // Names and values split at the first "=".
    QString Names(Integer index) const;
    QString ValueFromIndex(Integer index) const;
    QString Values(const QString& name) const;
    void SetValue(const QString& name, const QString& value);  // "" removes the line

    void BeginUpdate();
    void EndUpdate();
    Integer UpdateCount() const { return updateCount_; }

    void Assign(TPersistent* Source) override;
    bool Equals(const TStrings& other) const;
    QStringList ToStringList() const;
    void SetStringList(const QStringList& lines);

    void LoadFromStream(TStream& stream);  // text in the ANSI code page
    void SaveToStream(TStream& stream) const;
    void LoadFromFile(const QString& fileName);
    void SaveToFile(const QString& fileName) const;

protected:
    virtual void SetUpdateState(bool updating);
    // Raises EListError with message, where %1 stands for index.
    [[noreturn]] virtual void Error(const QString& message, Integer index) const;
    // How IndexOf, IndexOfName and Values compare: ignoring case here.
    virtual Integer CompareStrings(const QString& a, const QString& b) const;

private:
    Integer updateCount_ = 0;
};

class TStringList : public TStrings {
public:
    TStringList() = default;
    ~TStringList() override;

    Integer Count() const override { return Integer(items_.size()); }
    QString Get(Integer index) const override;
    void Put(Integer index, const QString& s) override;
    TObject* GetObject(Integer index) const override;
    void PutObject(Integer index, TObject* obj) override;
    void Insert(Integer index, const QString& s) override;
    void Delete(Integer index) override;
    void Clear() override;
    Integer Add(const QString& s) override;
    Integer AddObject(const QString& s, TObject* obj) override;
    void Exchange(Integer a, Integer b) override;
    void Move(Integer from, Integer to) override;
    Integer IndexOf(const QString& s) const override;

    // Binary search of a sorted list; true and the index when found, else
    // false and the index where s would be inserted.
    virtual bool Find(const QString& s, Integer& index) const;
    virtual void Sort();
    void CustomSort(const std::function<Integer(TStringList*, Integer, Integer)>& compare);

    bool Sorted() const { return sorted_; }
    void SetSorted(bool sorted);
    TDuplicates Duplicates() const { return duplicates_; }
    void SetDuplicates(TDuplicates d) { duplicates_ = d; }
    bool CaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool on);
    // When set, the list deletes its objects when they are removed.
    bool OwnsObjects() const { return ownsObjects_; }
    void SetOwnsObjects(bool on) { ownsObjects_ = on; }

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    void SetUpdateState(bool updating) override;
    virtual void Changed();
    virtual void Changing();
    Integer CompareStrings(const QString& a, const QString& b) const override;

private:
    struct Item {
        QString text;
        TObject* object = nullptr;
    };
    using Compare = std::function<Integer(TStringList*, Integer, Integer)>;
    void insertItem(Integer index, const QString& s, TObject* obj);
    void checkIndex(Integer index) const;
    void sortItems(const Compare& compare);

    std::vector<Item> items_;
    bool sorted_ = false;
    bool caseSensitive_ = false;
    bool ownsObjects_ = false;
    TDuplicates duplicates_ = dupIgnore;
};

// ------------------------------------------------------------ collections

class TCollection;

// Create items through TCollection::Add or Insert: an item built directly
// with new joins its collection from this base constructor, and the
// collection's Update then runs before the item's own constructor has.
class TCollectionItem : public TPersistent {
public:
    explicit TCollectionItem(TCollection* Collection);
    ~TCollectionItem() override;

    TCollection* Collection() const { return collection_; }
    void SetCollection(TCollection* value);
    Integer Index() const;
    virtual void SetIndex(Integer value);
    Integer ID() const { return id_; }
    virtual QString DisplayName() const;
    TPersistent* GetOwner() const override;

protected:
    // Tells the collection: Update(this) when AllItems is false, else Update(nil).
    void Changed(bool AllItems);

private:
    friend class TCollection;
    TCollection* collection_ = nullptr;
    Integer id_ = 0;
};

class TCollection : public TPersistent {
public:
    // The factory creates one item of the collection's item class (plain
    // TCollectionItem when empty).
    using ItemFactory = std::function<TCollectionItem*(TCollection*)>;
    explicit TCollection(ItemFactory factory);
    ~TCollection() override;

    Integer Count() const { return Integer(items_.size()); }
    TCollectionItem* Items(Integer index) const;  // EListError out of range
    TCollectionItem* Add();
    TCollectionItem* Insert(Integer index);  // EListError unless 0 <= index <= Count
    void Delete(Integer index);
    void Clear();
    TCollectionItem* FindItemID(Integer id) const;

    void BeginUpdate();
    // Always ends in Changed, which calls Update(nil) once the count is 0.
    void EndUpdate();
    Integer UpdateCount() const { return updateCount_; }

    void Assign(TPersistent* Source) override;
    TPersistent* GetOwner() const override { return owner_; }
    void SetOwner(TPersistent* owner) { owner_ = owner; }

protected:
    // Item is the changed item, or nullptr when the whole collection changed.
    virtual void Update(TCollectionItem* Item);
    void Changed();

private:
    friend class TCollectionItem;
    void insertItem(TCollectionItem* item);
    void removeItem(TCollectionItem* item);

    ItemFactory factory_;
    std::vector<TCollectionItem*> items_;
    Integer updateCount_ = 0;
    Integer nextId_ = 0;
    TPersistent* owner_ = nullptr;
};

// ------------------------------------------------------------ streams

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

constexpr Word fmCreate = 0xFF00;
constexpr Word fmOpenRead = 0x0000;
constexpr Word fmOpenWrite = 0x0001;
constexpr Word fmOpenReadWrite = 0x0002;
constexpr Word fmShareCompat = 0x0000;
constexpr Word fmShareExclusive = 0x0010;
constexpr Word fmShareDenyWrite = 0x0020;
constexpr Word fmShareDenyRead = 0x0030;
constexpr Word fmShareDenyNone = 0x0040;

class TStream : public TObject {
public:
    // Read and Write may move fewer bytes than asked (short reads at the end).
    virtual Integer Read(void* buffer, Integer count) = 0;
    virtual Integer Write(const void* buffer, Integer count) = 0;
    // The new position; -1 when the stream cannot go there (the position
    // then stays where it was).
    virtual Int64 Seek(Int64 offset, TSeekOrigin origin) = 0;

    Int64 Position() { return Seek(0, soCurrent); }
    void SetPosition(Int64 pos) { Seek(pos, soBeginning); }
    virtual Int64 Size();
    virtual void SetSize(Int64 size);

    // Exactly count bytes, or EReadError ("Stream read error") / EWriteError
    // with WriteErrorMessage.
    void ReadBuffer(void* buffer, Integer count);
    void WriteBuffer(const void* buffer, Integer count);
    // What stopped the last short write: "Stream write error" unless the
    // stream can tell more.
    virtual QString WriteErrorMessage();
    // Copies count bytes from source (the whole of it from the start when 0
    // or less); EReadError when source runs short.
    Int64 CopyFrom(TStream& source, Int64 count);

    QByteArray ReadBytes(Integer count);  // up to count bytes, fewer at the end
    // Everything from the position to the end, also when the stream cannot
    // tell its size; EReadError past 2 GB or when the stream runs short.
    QByteArray ReadToEnd();
    void WriteBytes(const QByteArray& bytes);
};

class TMemoryStream : public TStream {
public:
    Integer Read(void* buffer, Integer count) override;
    Integer Write(const void* buffer, Integer count) override;
    Int64 Seek(Int64 offset, TSeekOrigin origin) override;
    Int64 Size() override { return Int64(data_.size()); }
    // Grows with zeros; the position stays within the new size.
    void SetSize(Int64 size) override;
    void Clear();

    const QByteArray& Bytes() const { return data_; }

    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream);
    void LoadFromFile(const QString& fileName);  // EFOpenError
    void SaveToFile(const QString& fileName);    // EFCreateError

private:
    QByteArray data_;
    Int64 position_ = 0;
};

class TFileStream : public TStream {
public:
    // EFCreateError / EFOpenError with the file name when it cannot be
    // opened; a folder is refused.
    TFileStream(const QString& fileName, Word mode);
    ~TFileStream() override;

    Integer Read(void* buffer, Integer count) override;
    Integer Write(const void* buffer, Integer count) override;
    Int64 Seek(Int64 offset, TSeekOrigin origin) override;
    // Cuts or extends the file and moves the position to its new end.
    void SetSize(Int64 size) override;
    const QString& FileName() const { return fileName_; }
    // The file's name and the system's reason ("No space left on device").
    QString WriteErrorMessage() override;
    // The errno of the last write that failed, 0 after one that did not.
    int LastWriteError() const { return writeError_; }

private:
    QString fileName_;
    int fd_ = -1;
    int writeError_ = 0;
};

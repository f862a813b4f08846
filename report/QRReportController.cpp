// The data walk: controllers, groups and sub-details.
#include "QRReport.h"
#include "QRReportInternal.h"

#include "DB.h"
#include "DBTables.h"
#include "Forms.h"

#include <algorithm>

namespace {

void LetMessagesRun()
{
    if (Application)
        Application->ProcessMessages();
}

Extended BandHeight(const TQRCustomBand* band) { return band->Size()->RawValue(TQRBandSize::iHeight); }

// True when two results of an expression count as different values.
bool Differs(const EvalResult& a, const EvalResult& b)
{
    if (a.Kind != b.Kind)
        return true;
    switch (a.Kind) {
    case rkInteger: return a.IntResult != b.IntResult;
    case rkFloat: return a.FloatResult != b.FloatResult;
    case rkString: return a.StrResult.Compare(b.StrResult) != 0;
    case rkBoolean: return a.BoolResult != b.BoolResult;
    case rkError: return false;
    }
    return false;
}

// Writes an environment value into a query parameter by the parameter's type;
// other combinations leave the parameter as it is.
void WriteParam(TParam& param, const EvalResult& value)
{
    switch (param.DataType()) {
    case ftString:
        if (value.Kind == rkString)
            param.SetAsString(value.StrResult.Text());
        break;
    case ftSmallint:
    case ftInteger:
    case ftWord:
        if (value.Kind == rkInteger)
            param.SetAsInteger(value.IntResult);
        break;
    case ftBoolean:
        if (value.Kind == rkBoolean)
            param.SetAsBoolean(value.BoolResult);
        break;
    case ftFloat:
    case ftCurrency:
    case ftBCD:
        if (value.Kind == rkFloat)
            param.SetAsFloat(value.FloatResult);
        break;
    case ftDate:
        if (value.Kind == rkString)
            param.SetAsDate(StrToDate(value.StrResult.Text()));
        break;
    case ftTime:
        if (value.Kind == rkString)
            param.SetAsTime(StrToTime(value.StrResult.Text()));
        break;
    case ftDateTime:
        if (value.Kind == rkString)
            param.SetAsDateTime(StrToDateTime(value.StrResult.Text()));
        break;
    default: break;
    }
}

bool IsMasterKind(const TComponent* c)
{
    return dynamic_cast<const TCustomRazorUze*>(c) || dynamic_cast<const TQRCustomController*>(c) ||
           dynamic_cast<const TQRControllerBand*>(c);
}

// Groups and controller bands answer to the report or to a controller band.
bool IsBandMasterKind(const TComponent* c)
{
    return dynamic_cast<const TQRControllerBand*>(c) || dynamic_cast<const TCustomRazorUze*>(c);
}

// A group or controller band with no master of its own follows the report it sits on.
template <class Band> void FollowReportByDefault(Band& band)
{
    if (!band.Master() && band.ParentReport())
        band.SetMaster(band.ParentReport());
}

void RebuildReportOrder(const TQRCustomBand& band)
{
    if (band.ParentReport())
        band.ParentReport()->RebuildOrder();
}

// The controller of a controller band, or a stand-alone controller.
TQRCustomController* ServantOf(TComponent* c)
{
    if (auto* band = dynamic_cast<TQRControllerBand*>(c))
        return band->Controller();
    return dynamic_cast<TQRCustomController*>(c);
}

}  // namespace

// ------------------------------------------------------------ TQRCustomController

TQRCustomController::TQRCustomController(TComponent* owner, TComponent* master)
    : TComponent(nullptr), controllerOwner_(owner)
{
    SetMaster(master);
    parentReport_ = dynamic_cast<TCustomRazorUze*>(master);
}

TQRCustomController::TQRCustomController(TComponent* AOwner) : TComponent(AOwner), controllerOwner_(this) {}

TQRCustomController::~TQRCustomController()
{
    if (detail_ && detail_->NotifyController() == this)
        detail_->SetNotifyController(nullptr);
}

void TQRCustomController::SetMaster(TComponent* master)
{
    if (master && !IsMasterKind(master))
        return;
    // The owner outlives its controller: no notice needed from it.
    if (master_ && master_ != controllerOwner_)
        master_->RemoveFreeNotification(this);
    master_ = master;
    if (master_ && master_ != controllerOwner_)
        master_->FreeNotification(this);
}

void TQRCustomController::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == master_)
        master_ = nullptr;
    for (TQRCustomBand** slot : {&header_, &detail_, &footer_})
        if (*slot == AComponent)
            *slot = nullptr;
}

void TQRCustomController::SetBand(TQRCustomBand*& slot, TQRCustomBand* band)
{
    if (slot == band)
        return;
    TQRCustomBand* old = slot;
    slot = band;
    // A band may fill more than one slot: keep its notice while it does.
    if (old && old != header_ && old != detail_ && old != footer_)
        old->RemoveFreeNotification(this);
    if (band)
        band->FreeNotification(this);
}

TQRPrinter* TQRCustomController::Printer() const { return parentReport_ ? parentReport_->QRPrinter() : nullptr; }

void TQRCustomController::AddNotifyClient(TQRPrintable* Printable)
{
    if (Printable && std::find(notifyClients_.begin(), notifyClients_.end(), Printable) == notifyClients_.end())
        notifyClients_.push_back(Printable);
}

void TQRCustomController::NotifyClients()
{
    for (TQRPrintable* client : notifyClients_)
        client->Notify(this, 0);
}

void TQRCustomController::ScanForServants(const TComponent* owner)
{
    for (Integer i = 0; i < owner->ComponentCount(); ++i) {
        TComponent* c = owner->Components(i);
        if (c->IsDestroying())
            continue;
        if (TQRCustomController* servant = ServantOf(c)) {
            if (servant->Master() != controllerOwner_)
                continue;
            (servant->PrintBefore() ? before_ : after_).push_back(servant);
            servant->SetParentReport(parentReport_);
            servant->Prepare();
        } else if (auto* group = dynamic_cast<TQRGroup*>(c); group && group->Master() == controllerOwner_) {
            groups_.push_back(group);
            group->SetParentReport(parentReport_);
        }
    }
}

void TQRCustomController::Prepare()
{
    after_.clear();
    before_.clear();
    groups_.clear();
    if (!controllerOwner_)
        return;
    const TComponent* outer = controllerOwner_->Owner();
    if (auto* controller = dynamic_cast<TQRCustomController*>(controllerOwner_))
        outer = controller->Master();
    if (outer)
        ScanForServants(outer);
    ScanForServants(controllerOwner_);
    AddDataSetToList();
}

void TQRCustomController::PreparePrint()
{
    notifyClients_.clear();
    for (TQRCustomController* sub : before_)
        sub->PreparePrint();
    for (TQRCustomController* sub : after_)
        sub->PreparePrint();
    for (TQRGroup* group : groups_)
        group->PreparePrint(parentReport_);
}

void TQRCustomController::Unprepare()
{
    for (TQRCustomController* sub : before_)
        sub->Unprepare();
    for (TQRCustomController* sub : after_)
        sub->Unprepare();
    for (TQRGroup* group : groups_)
        group->Unprepare();
    notifyClients_.clear();
    if (detail_ && detail_->NotifyController() == this)
        detail_->SetNotifyController(nullptr);
}

void TQRCustomController::Execute()
{
    if (printIfEmpty_)
        PrintEmptyReport();
}

void TQRCustomController::ExecuteAfter()
{
    for (TQRCustomController* sub : after_)
        sub->Execute();
}

void TQRCustomController::ExecuteBefore()
{
    for (TQRCustomController* sub : before_)
        sub->Execute();
}

void TQRCustomController::PrintEmptyReport()
{
    if (!parentReport_)
        return;
    parentReport_->PrintBand(header_);
    ExecuteBefore();
    parentReport_->PrintBand(detail_);
    ExecuteAfter();
    parentReport_->PrintBand(footer_);
}

void TQRCustomController::AddBands(std::vector<TQRCustomBand*>& order) const
{
    auto add = [&](TQRCustomBand* band) {
        for (; band && std::find(order.begin(), order.end(), band) == order.end();
             band = parentReport_ ? parentReport_->ChildOf(band) : nullptr)
            order.push_back(band);
    };
    add(header_);
    for (TQRGroup* group : groups_)
        add(group);
    for (const TQRCustomController* sub : before_)
        sub->AddBands(order);
    add(detail_);
    for (const TQRCustomController* sub : after_)
        sub->AddBands(order);
    for (auto it = groups_.rbegin(); it != groups_.rend(); ++it)
        add((*it)->FooterBand());
    add(footer_);
}

bool TQRCustomController::CheckGroups()
{
    for (size_t i = 0; i < groups_.size(); ++i) {
        groups_[i]->Check();
        if (!groups_[i]->Broke())
            continue;
        for (size_t inner = i + 1; inner < groups_.size(); ++inner)
            groups_[inner]->TakeValue();
        return true;
    }
    return false;
}

void TQRCustomController::PrintGroupHeaders(size_t end)
{
    for (size_t i = 0; i < std::min(end, groups_.size()); ++i) {
        TQRGroup* group = groups_[i];
        if (!group->Broke())
            continue;
        parentReport_->PrintBand(group);
        group->headerPrinted_ = true;
        group->headerPending_ = false;
        group->headerPage_ = parentReport_->PageNumber();
    }
}

void TQRCustomController::PrintGroupFooters()
{
    printingFooters_ = true;
    try {
        for (auto it = groups_.rbegin(); it != groups_.rend(); ++it) {
            if (!(*it)->Broke())
                continue;
            parentReport_->PrintBand((*it)->FooterBand());
            (*it)->headerPrinted_ = false;
        }
    } catch (...) {
        printingFooters_ = false;
        throw;
    }
    printingFooters_ = false;
}

void TQRCustomController::PrintFooter()
{
    if (!footer_)
        return;
    if (parentReport_->PageNumber() == 0)
        parentReport_->NewPage();
    if (BandHeight(footer_) > parentReport_->SpaceFor(footer_))
        parentReport_->NewColumn();
    parentReport_->PrintBand(footer_);
}

size_t TQRCustomController::GroupsOutsidePending() const
{
    const auto pending =
        std::find_if(groups_.begin(), groups_.end(), [](const TQRGroup* g) { return g->headerPending_; });
    return size_t(pending - groups_.begin());
}

void TQRCustomController::ReprintHeaders()
{
    // Footers close their groups.
    if (!parentReport_ || printingFooters_)
        return;
    // A header about to print needs no repeat, nor do the groups inside it
    // or the sub-details of the records it opens; the groups outside it do.
    const size_t end = GroupsOutsidePending();
    const bool nonePending = end == groups_.size();
    if (nonePending)
        for (TQRCustomController* sub : before_)
            sub->ReprintHeaders();
    bool broke = false;
    for (size_t i = 0; i < end && !broke; ++i) {
        TQRGroup* group = groups_[i];
        const bool again = group->reprintOnNewPage_ && group->headerPrinted_ &&
                           group->headerPage_ != parentReport_->PageNumber();
        group->broke_ = again;
        if (!again)
            continue;
        group->headerPage_ = parentReport_->PageNumber();
        for (size_t inner = i + 1; inner < end; ++inner)
            groups_[inner]->TakeValue();
        broke = true;
    }
    if (broke)
        PrintGroupHeaders(end);
    if (nonePending)
        for (TQRCustomController* sub : after_)
            sub->ReprintHeaders();
}

// ------------------------------------------------------------ TQRController

TQRController::TQRController(TComponent* owner, TComponent* master) : TQRCustomController(owner, master) {}

TQRController::TQRController(TComponent* AOwner) : TQRCustomController(AOwner) {}

void TQRController::SetDataSet(TDataSet* value)
{
    if (dataSet_ != value)
        ReferTo(this, dataSet_, value);
}

void TQRController::Notification(TComponent* AComponent, TOperation Operation)
{
    TQRCustomController::Notification(AComponent, Operation);
    ForgetIfRemoved(dataSet_, AComponent, Operation);
}

void TQRController::AddDataSetToList()
{
    TQRDataSetList* list = ParentReport() ? ParentReport()->AllDataSets() : nullptr;
    if (list && IsActive(dataSet_) && std::find(list->begin(), list->end(), dataSet_) == list->end())
        list->push_back(dataSet_);
}

void TQRController::PreparePrint()
{
    TQRCustomController::PreparePrint();
    paramsBound_ = false;
    auto* query = dynamic_cast<TQuery*>(dataSet_);
    if (!query || !ParentReport())
        return;
    const TQREvEnvironment* functions = ParentReport()->Functions();
    for (Integer i = 0; i < query->ParamCount() && !paramsBound_; ++i)
        paramsBound_ = functions->IndexOf(query->Params().Items(i)->Name()) >= 0;
}

void TQRController::BindParams(TQuery& query)
{
    const TQREvEnvironment* functions = ParentReport()->Functions();
    query.SetActive(false);
    for (Integer i = 0; i < query.ParamCount(); ++i) {
        TParam* param = query.Params().Items(i);
        if (functions->IndexOf(param->Name()) >= 0)
            WriteParam(*param, functions->Value(param->Name()));
    }
    query.SetActive(true);
}

bool TQRController::AskForData()
{
    bool moreData = false;
    if (OnNeedData)
        OnNeedData(ControllerOwner(), moreData);
    return moreData;
}

void TQRController::Execute()
{
    for (TQRGroup* group : Groups())
        group->hasValue_ = false;
    recordCount_ = 1;
    const bool active = IsActive(dataSet_);
    if ((!active && !OnNeedData) || !ParentReport()) {
        if (PrintIfEmpty())
            PrintEmptyReport();
        return;
    }
    bool moreData = true;
    if (active) {
        if (paramsBound_)
            if (auto* query = dynamic_cast<TQuery*>(dataSet_))
                BindParams(*query);
        dataSet_->First();
        moreData = !dataSet_->Eof();
        if (auto* report = dynamic_cast<TRazorUze*>(ParentReport()))
            recordCount_ = IsActive(report->DataSet()) ? report->DataSet()->RecordCount() : 1;
        if (!moreData && PrintIfEmpty())
            PrintEmptyReport();
    } else if (!AskForData()) {
        return;
    }
    recordNumber_ = 0;
    if (detail_)
        detail_->SetNotifyController(this);
    if (!moreData)
        return;
    LetMessagesRun();
    if (!ParentReport()->Cancelled())
        Walk(moreData);
}

void TQRController::Walk(bool moreData)
{
    TCustomRazorUze& report = *ParentReport();
    report.PrintBand(header_);
    const bool reportLevel = report.Controller() == this;
    if (reportLevel && (report.PageNumber() < 2 || report.Run().Composite))
        if (TQRCustomBand* columnHeader = report.BandOfType(rbColumnHeader); columnHeader && columnHeader->Enabled())
            report.PrintBand(columnHeader);
    CheckGroups();
    report.Run().StopRequest = false;
    const bool active = IsActive(dataSet_);
    // Footers print with the record that closed the group. A data set that
    // only moves forward cannot step back to it: they read a copy instead.
    const bool keepLeft = active && dataSet_->IsUniDirectional() && !Groups().empty();
    std::vector<TFieldValue> left;
    while (moreData) {
        LetMessagesRun();
        if (Printer() && Printer()->Cancelled())
            return;
        report.Run().RecordNumber = recordNumber_;
        ++recordNumber_;
        PrintGroupHeaders();
        ExecuteBefore();
        report.PrintBand(detail_);
        ExecuteAfter();
        if (keepLeft)
            left = dataSet_->RecordValues();
        moreData = Advance();
        if (CheckGroups()) {
            if (keepLeft) {
                const TShownRecord shown(*dataSet_, left);
                PrintGroupFooters();
            } else {
                if (active)
                    dataSet_->Prior();
                PrintGroupFooters();
                if (active)
                    dataSet_->Next();
            }
        }
        ShowProgress();
        moreData = moreData && !report.Run().StopRequest;
        if (report.PagesInPreview() > 0)
            moreData = moreData && Printer() && Printer()->PageNumber() <= report.PagesInPreview();
    }
    // Every group whose footer did not print at the last check closes now.
    for (TQRGroup* group : Groups())
        group->broke_ = !group->broke_;
    PrintGroupFooters();
    PrintFooter();
}

bool TQRController::Advance()
{
    if (IsActive(dataSet_)) {
        dataSet_->Next();
        return !dataSet_->Eof();
    }
    return AskForData();
}

void TQRController::ShowProgress()
{
    auto* report = dynamic_cast<TRazorUze*>(ParentReport());
    if (!report || !IsActive(dataSet_) || report->DataSet() != dataSet_ || recordCount_ == 0 || !Printer())
        return;
    Printer()->SetProgress(Integer(Int64(recordNumber_) * 100 / recordCount_));
}

// ------------------------------------------------------------ TQRGroup

TQRGroup::TQRGroup(TComponent* AOwner) : TQRCustomBand(AOwner) { SetBandTypeValue(rbGroupHeader); }

void TQRGroup::SetFooterBand(TQRBand* band)
{
    if (footerBand_ == band)
        return;
    ReferTo(this, footerBand_, band);
    if (band)
        band->SetBandType(rbGroupFooter);
}

void TQRGroup::SetMaster(TComponent* value)
{
    if (value && !IsBandMasterKind(value))
        return;
    ReferTo(this, master_, value);
    RebuildReportOrder(*this);
}

void TQRGroup::SetParent(TWinControl* AParent)
{
    TQRCustomBand::SetParent(AParent);
    FollowReportByDefault(*this);
}

void TQRGroup::Notification(TComponent* AComponent, TOperation Operation)
{
    TQRCustomBand::Notification(AComponent, Operation);
    ForgetIfRemoved(footerBand_, AComponent, Operation);
    ForgetIfRemoved(master_, AComponent, Operation);
}

void TQRGroup::PreparePrint(TCustomRazorUze* report)
{
    if (report) {
        evaluator_.SetDataSets(report->AllDataSets());
        evaluator_.SetEnvironment(report->Functions());
    }
    evaluator_.Prepare(expression_);
    hasValue_ = false;
    headerPage_ = 1;
    headerPrinted_ = false;
    headerPending_ = false;
    broke_ = false;
}

void TQRGroup::Unprepare()
{
    if (evaluator_.Prepared())
        evaluator_.Unprepare();
    evaluator_.SetDataSets(nullptr);
}

void TQRGroup::SetBroke(bool value)
{
    broke_ = value;
    if (value)
        headerPending_ = true;
}

void TQRGroup::TakeValue()
{
    lastValue_ = evaluator_.Value();
    hasValue_ = true;
    SetBroke(true);
}

void TQRGroup::Check()
{
    if (!hasValue_) {
        TakeValue();
        return;
    }
    const EvalResult value = evaluator_.Value();
    SetBroke(Differs(lastValue_, value));
    if (broke_)
        lastValue_ = value;
}

// ------------------------------------------------------------ TQRControllerBand

TQRControllerBand::TQRControllerBand(TComponent* AOwner)
    : TQRCustomBand(AOwner), controller_(std::make_unique<TQRController>(this, nullptr))
{
    controller_->SetDetail(this);
}

TQRControllerBand::~TQRControllerBand()
{
    if (master_)
        master_->RemoveFreeNotification(this);
}

void TQRControllerBand::SetMaster(TComponent* value)
{
    if (value && !IsBandMasterKind(value))
        return;
    for (auto* band = dynamic_cast<TQRControllerBand*>(value); band;
         band = dynamic_cast<TQRControllerBand*>(band->master_))
        if (band == this)
            return;
    ReferTo(this, master_, value);
    controller_->SetMaster(value);
    RebuildReportOrder(*this);
}

void TQRControllerBand::SetParent(TWinControl* AParent)
{
    TQRCustomBand::SetParent(AParent);
    FollowReportByDefault(*this);
}

void TQRControllerBand::Notification(TComponent* AComponent, TOperation Operation)
{
    TQRCustomBand::Notification(AComponent, Operation);
    ForgetIfRemoved(master_, AComponent, Operation);
}

// ------------------------------------------------------------ TQRSubDetail

TQRSubDetail::TQRSubDetail(TComponent* AOwner)
    : TQRControllerBand(AOwner), bands_(std::make_unique<TQRSubDetailGroupBands>(this))
{
    SetBandTypeValue(rbSubDetail);
}

TQRSubDetail::~TQRSubDetail() = default;

void TQRSubDetail::SetPrintBefore(bool value)
{
    Controller()->SetPrintBefore(value);
    RebuildReportOrder(*this);
}

void TQRSubDetail::SetHeaderBand(TQRBand* band)
{
    Controller()->SetHeader(band);
    if (band)
        band->SetBandType(rbGroupHeader);
}

void TQRSubDetail::SetFooterBand(TQRBand* band)
{
    Controller()->SetFooter(band);
    if (band)
        band->SetBandType(rbGroupFooter);
}

bool TQRSubDetailGroupBands::HasHeader() const { return owner_->HeaderBand() != nullptr; }

bool TQRSubDetailGroupBands::HasFooter() const { return owner_->FooterBand() != nullptr; }

void TQRSubDetailGroupBands::SetHas(bool header, bool value)
{
    TQRCustomBand* band = header ? owner_->HeaderBand() : owner_->FooterBand();
    if (value == (band != nullptr))
        return;
    if (!value) {
        delete band;
        return;
    }
    // New bands go on the report the sub-detail sits on.
    if (!owner_->ParentReport())
        return;
    TQRBand* created = CreateReportBand(owner_->ParentReport(), header ? rbGroupHeader : rbGroupFooter);
    if (header)
        owner_->SetHeaderBand(created);
    else
        owner_->SetFooterBand(created);
}

// ------------------------------------------------------------ the report's walk

TQRController* TCustomRazorUze::DataController() const { return dynamic_cast<TQRController*>(Controller()); }

void TCustomRazorUze::SetOnNeedData(TQROnNeedDataEvent event)
{
    if (TQRController* controller = DataController())
        controller->OnNeedData = std::move(event);
}

// ------------------------------------------------------------ TRazorUze

TRazorUze::TRazorUze(TComponent* AOwner) : TCustomRazorUze(AOwner)
{
    SetController(std::make_unique<TQRController>(this, this));
}

TDataSet* TRazorUze::DataSet() const
{
    TQRController* controller = DataController();
    return controller ? controller->DataSet() : nullptr;
}

void TRazorUze::SetDataSet(TDataSet* value)
{
    if (TQRController* controller = DataController())
        controller->SetDataSet(value);
}

void TRazorUze::HandBandsToController() const
{
    TQRController* controller = DataController();
    if (!controller)
        return;
    controller->SetDetail(BandOfType(rbDetail));
    controller->SetHeader(BandOfType(rbTitle));
    controller->SetFooter(BandOfType(rbSummary));
}

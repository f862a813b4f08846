// Layout (client 640 x 420): Panel24 (alClient) holds seven row panels
// (alTop, 30 high) whose captions "Height:nnn" show at their right end;
// the buttons stand in PnlButtons (alBottom, 44 high). A row panel PanelN
// holds up to three pairs of a caption label and a host panel
// Panel(N+1)..Panel(N+3) with one box each: placed by hand in the first row,
// lined up from the left (alLeft) in the others, so that every caption
// stays in sight however the boxes size their hosts. The third row starts with a
// read-only box in a disabled host and a read-only combo box, the fourth
// and fifth rows carry larger fonts, so that the rows need different
// heights. The last row, Panel25, holds the framework's plain edit and
// combo boxes.
#include "UnSEdit.h"

#include "Classes.h"
#include "ExtCtrls.h"
#include "FnKeyBar.h"
#include "FormBuild.h"
#include "SBtn.h"
#include "SEdit.h"
#include "StdCtrls.h"

#include <algorithm>
#include <memory>

namespace {

constexpr Integer kRowHeight = 30;
constexpr Integer kHostWidth = 120;
constexpr Integer kLabelWidth = 56;

const QString kMinus = QStringLiteral("－");
const QString kPlus = QStringLiteral("＋");

}  // namespace

// One box of a row: an edit box (or a combo box), its caption, its font
// height and whether it starts read-only in a disabled host.
struct TForm5::Box {
    bool combo;
    const char16_t* caption;
    Integer fontHeight;
    bool readOnly;
};

TForm5::TForm5(TComponent* AOwner) : TForm(AOwner) {
    BeginLoading();
    buildForm();
    EndLoading();
}

void TForm5::buildForm() {
    SetName(QStringLiteral("Form5"));
    SetCaption(QStringLiteral("Form5"));
    SetClientSize(640, 420);
    SetPosition(poScreenCenter);
    Font()->SetName(QStringLiteral("ＭＳ Ｐゴシック"));
    Font()->SetHeight(-13);
    OnShow = [this](TObject* s) { FormShow(s); };

    PnlButtons = MakeControl<TPanel>(this, this, QStringLiteral("PnlButtons"), Bounds(0, 376, 640, 44));
    PnlButtons->SetAlign(alBottom);
    PnlButtons->SetBevelOuter(bvNone);
    Panel24 = MakeControl<TPanel>(this, this, QStringLiteral("Panel24"), Bounds(0, 0, 640, 376));
    Panel24->SetAlign(alClient);
    Panel24->SetBevelOuter(bvNone);
    buildRow(0, {{false, u"コード", -13, false}, {false, u"名称", -13, false}, {true, u"区分", -13, false}});
    buildRow(1, {{false, u"日付", -13, false}, {false, u"金額", -13, false}, {true, u"種別", -13, false}});
    buildRow(2, {{false, u"参照", -13, true}, {false, u"数量", -13, false}, {true, u"固定", -13, true}});
    buildRow(3, {{false, u"大", -20, false}, {false, u"中", -16, false}, {true, u"選択", -16, false}});
    buildRow(4, {{false, u"備考", -13, false}, {false, u"特大", -24, false}, {true, u"単位", -13, false}});
    buildRow(5, {{false, u"摘要", -13, false}, {true, u"担当", -18, false}});
    buildPlainRow();
    buildButtons();
}

void TForm5::buildRow(Integer row, const std::vector<Box>& boxes) {
    const Integer n = 1 + 4 * row;
    auto* rowPanel = MakeControl<TPanel>(this, Panel24, QStringLiteral("Panel%1").arg(n),
                                         Bounds(0, kRowHeight * row, 640, kRowHeight));
    rowPanel->SetAlign(alTop);
    rowPanel->SetAlignment(taRightJustify);
    // A row's client height becomes its hosts' height when the heights are
    // fitted: no border width, and bevels only on the first row, which
    // loses them when the boxes are arranged.
    if (row > 0) rowPanel->SetBevelOuter(bvNone);
    rowPanel->SetTag(1);
    rowPanel->OnResize = [this](TObject* s) { Panel1Resize(s); };
    Rows.push_back(rowPanel);
    for (size_t i = 0; i < boxes.size(); ++i) {
        const Box& b = boxes[i];
        const Integer x = 4 + Integer(i) * (kLabelWidth + kHostWidth + 8);
        auto* label = MakeControl<TLabel>(this, rowPanel, QStringLiteral("Label%1").arg(3 * row + Integer(i) + 1),
                                          Bounds(x, 8, kLabelWidth, 16));
        label->SetCaption(QString::fromUtf16(b.caption));
        label->SetTag(1);
        label->SetLayout(tlCenter);
        if (row > 0) label->SetAlign(alLeft);
        auto* host = MakeControl<TPanel>(this, rowPanel, QStringLiteral("Panel%1").arg(n + Integer(i) + 1),
                                         Bounds(x + kLabelWidth, 3, kHostWidth, 24));
        host->SetBevelOuter(bvLowered);
        host->SetEnabled(!b.readOnly || b.combo);
        if (row > 0) host->SetAlign(alLeft);
        const TRect inside = Bounds(2, 2, kHostWidth - 4, 20);
        TEntryBox* entry;
        if (b.combo) {
            auto* box = MakeControl<TSComboBox>(this, host, QStringLiteral("SComboBox%1").arg(Combos.size() + 1), inside);
            box->Font()->SetHeight(b.fontHeight);
            box->Items()->Add(QStringLiteral("売上"));
            box->Items()->Add(QStringLiteral("返品"));
            box->SetReadOnly(b.readOnly);
            Combos.push_back(box);
            entry = box;
        } else {
            auto* box = MakeControl<TSEdit>(this, host, QStringLiteral("SEdit%1").arg(Edits.size() + 1), inside);
            box->Font()->SetHeight(b.fontHeight);
            box->SetReadOnly(b.readOnly);
            Edits.push_back(box);
            entry = box;
        }
        // A box in a disabled host shows so from the start, as designed.
        if (!host->Enabled()) entry->UpdateColor();
    }
}

void TForm5::buildPlainRow() {
    auto* row = MakeControl<TPanel>(this, Panel24, QStringLiteral("Panel25"), Bounds(0, kRowHeight * 6, 640, kRowHeight));
    row->SetAlign(alTop);
    row->SetAlignment(taRightJustify);
    row->SetBorderWidth(3);
    row->SetTag(1);
    row->OnResize = [this](TObject* s) { Panel1Resize(s); };
    Rows.push_back(row);
    auto* label = MakeControl<TLabel>(this, row, QStringLiteral("Label19"), Bounds(4, 8, kLabelWidth, 16));
    label->SetCaption(QStringLiteral("標準"));
    label->SetTag(1);
    Edit1 = MakeControl<TEdit>(this, row, QStringLiteral("Edit1"), Bounds(4 + kLabelWidth, 4, kHostWidth, 22));
    ComboBox1 = MakeControl<TComboBox>(this, row, QStringLiteral("ComboBox1"),
                                       Bounds(4 + 2 * kLabelWidth + kHostWidth + 8, 4, kHostWidth, 22));
}

void TForm5::buildButtons() {
    const char16_t* captions[] = {u"－", u"＋", u"自動ｼﾞｮｲﾝﾄ", u"全て自動整列", u"全てｲﾈｰﾌﾞﾙ", u"高さ自動調整", u"全自動", u"閉じる"};
    for (Integer i = 0; i < 8; ++i) {
        auto* button = MakeControl<TSBtn>(this, PnlButtons, QStringLiteral("SBtn%1").arg(i + 1), Bounds(4 + 79 * i, 4, 75, 36));
        button->SetCaption(QString::fromUtf16(captions[i]));
        FitCaptionFont(button, Font()->Height());
        if (i < 2) button->SetGuide(QStringLiteral("パネルの高さ"));
        button->OnClick = [this](TObject* s) { SBtn1Click(s); };
        SBtn[i] = button;
    }
}

void TForm5::FormShow(TObject*) {
    rebuildNavigation();
    SetWidth(Width() - 1);
    SetWidth(Width() + 1);
}

void TForm5::Panel1Resize(TObject* Sender) {
    auto* panel = static_cast<TPanel*>(Sender);
    panel->SetCaption(QString::asprintf("Height:%3d", panel->Height()));
}

void TForm5::rebuildNavigation() {
    TStringList groups;
    groups.Add(Panel24->Name());
    BuildGroupNavigationMap(&groups, this, 8, 8);
}

void TForm5::SBtn1Click(TObject* Sender) {
    const QString caption = static_cast<TSBtn*>(Sender)->Caption();
    if (caption == kPlus || caption == kMinus) {
        stepRowHeights(caption == kPlus ? 1 : -1);
    } else if (caption == QStringLiteral("全て自動整列")) {
        arrangeAll();
        SEdit1()->SetFocus();
    } else if (caption == QStringLiteral("自動ｼﾞｮｲﾝﾄ")) {
        rebuildNavigation();
        SEdit1()->SetFocus();
    } else if (caption == QStringLiteral("全てｲﾈｰﾌﾞﾙ")) {
        enableAll();
        rebuildNavigation();
        SEdit1()->SetFocus();
    } else if (caption == QStringLiteral("高さ自動調整")) {
        fitRowHeights();
        rebuildNavigation();
        SEdit1()->SetFocus();
    } else if (caption == QStringLiteral("全自動")) {
        for (Integer n : {4, 6, 5}) SBtn[n - 1]->OnClick(SBtn[n - 1]);
    } else if (caption == QStringLiteral("閉じる")) {
        Close();
    }
}

// The six rows of validated boxes; the plain row keeps its height.
void TForm5::stepRowHeights(Integer delta) {
    for (Integer i = 0; i < 6; ++i) Rows[i]->SetHeight(Rows[i]->Height() + delta);
}

void TForm5::arrangeAll() {
    TPanel* first = Rows.front();
    first->SetBevelInner(bvNone);
    first->SetBevelOuter(bvNone);
    for (const char* name : {"Label1", "Panel2", "Label2", "Panel3", "Label3", "Panel4"})
        static_cast<TControl*>(FindComponent(QString::fromLatin1(name)))->SetAlign(alLeft);
    for (TSEdit* box : Edits) {
        auto* host = dynamic_cast<TPanel*>(box->Parent());
        if (!host) continue;
        host->SetAlign(alLeft);
        host->SetBevelInner(bvNone);
        host->SetBevelOuter(bvNone);
        host->SetBorderStyle(bsSingle);
        host->SetBorderWidth(0);
        box->SetAutoSize(true);
        box->SetHorizontalAlign(haCenter);
        box->SetVerticalAlign(vaCenter);
        box->SetBorderStyle(bsNone);
        box->SetFitToParent(true);
    }
    for (TSComboBox* box : Combos) {
        auto* host = dynamic_cast<TPanel*>(box->Parent());
        if (!host) continue;
        host->SetAlign(alLeft);
        host->SetBevelInner(bvNone);
        host->SetBevelOuter(bvNone);
        host->SetBorderStyle(bsNone);
        host->SetBorderWidth(0);
        box->SetHorizontalAlign(haLeft);
        box->SetVerticalAlign(vaTop);
        box->SetFlat(true);
        box->SetFitToParent(true);
    }
}

void TForm5::enableAll() {
    auto enable = [](auto* box) {
        box->SetReadOnly(false);
        auto* host = dynamic_cast<TPanel*>(box->Parent());
        if (host && !host->Enabled()) {
            host->SetEnabled(true);
            box->UpdateColor();
        }
    };
    for (TSEdit* box : Edits) enable(box);
    for (TSComboBox* box : Combos) enable(box);
}

namespace {

// The height a box's host panel needs: what the layout of a box fitted to
// its panel asked for; for any other box, room for the whole box where it
// stands (its layout reports only its own height, or the panel's).
Integer HostHeightNeeded(TEntryBox* entry) {
    if (entry->FitToParent()) return entry->RequiredHeight();
    auto* box = dynamic_cast<TControl*>(entry);
    TWinControl* host = box->Parent();
    TRect usable = host->ClientRect();
    host->AdjustClientRect(usable);
    return box->Top() + box->Height() + host->Height() - usable.Bottom;
}

}  // namespace

// Each top or bottom row as high as the tallest box in its left or right
// aligned host panels needs.
void TForm5::fitRowHeights() {
    for (Integer i = 0; i < Panel24->ControlCount(); ++i) {
        auto* row = dynamic_cast<TPanel*>(Panel24->Controls(i));
        if (!row || (row->Align() != alTop && row->Align() != alBottom)) continue;
        std::vector<TEntryBox*> boxes;
        for (Integer j = 0; j < row->ControlCount(); ++j) {
            auto* host = dynamic_cast<TPanel*>(row->Controls(j));
            if (!host || (host->Align() != alLeft && host->Align() != alRight)) continue;
            for (Integer k = 0; k < host->ControlCount(); ++k) {
                if (auto* box = dynamic_cast<TEntryBox*>(host->Controls(k))) boxes.push_back(box);
            }
        }
        Integer h = 0;
        for (TEntryBox* box : boxes) h = std::max(h, HostHeightNeeded(box));
        if (h == 0) continue;
        row->SetClientHeight(h);
        // A host resized by its row does not move its box: place it again.
        for (TEntryBox* box : boxes) box->SetVerticalAlign(box->VerticalAlign());
    }
}

void ShowEditBoxWindow() {
    auto form = std::make_unique<TForm5>(nullptr);
    form->ShowModal();
}

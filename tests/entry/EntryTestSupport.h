// Shared pieces of the data-entry tests: a form shown and active on the
// offscreen platform and driven by real keys and clicks, counters of
// message boxes and beeps, the edit-box form whose events write to one
// log, and the grid form with the columns of the voucher window.
#pragma once

#include "Dialogs.h"
#include "Forms.h"
#include "SDBGrid.h"
#include "SEdit.h"
#include "WidgetTestSupport.h"

#include <QtGui/QWindow>
#include <QtTest/QTest>
#include <QtWidgets/QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using Trace = std::vector<std::string>;

inline std::string Utf8(const QString& s) {
    return s.toStdString();
}

// Counts the message boxes (and answers them) and the beeps.
class BoxAndBeepCounter {
public:
    BoxAndBeepCounter() {
        SetMessageBoxHook([this](const TMessageBoxRequest& r) {
            texts.push_back(Utf8(r.Text));
            return IDOK;
        });
        SetBeepHook([this](Cardinal) { ++beeps; });
    }
    ~BoxAndBeepCounter() {
        SetMessageBoxHook(nullptr);
        SetBeepHook(nullptr);
    }
    BoxAndBeepCounter(const BoxAndBeepCounter&) = delete;
    BoxAndBeepCounter& operator=(const BoxAndBeepCounter&) = delete;
    std::vector<std::string> texts;
    int beeps = 0;
};

// A form driven through its window by real keys and clicks.
class TestForm : public TForm {
public:
    TestForm() : TForm(nullptr) {}

    void ShowActive() { ::ShowActive(this); }
    QWindow* Window() { return ::WindowOf(this); }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { ::KeyClick(this, key, mods); }
    void PressKey(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { ::KeyPress(this, key, mods); }
    void ReleaseKey(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { ::KeyRelease(this, key, mods); }
    // Each character of an ASCII text as a key click.
    void Type(const QString& text) { ::KeyClicks(this, text); }
    // A left click in the middle of a control.
    void ClickOn(TControl* control) { ClickControl(control); }
};

// ------------------------------------------------------------ edit boxes

// A form with boxes whose events are logged as "Event:name[:detail]".
class TraceForm : public TestForm {
public:
    TraceForm() {
        SetBounds(100, 100, 480, 320);
        SetCaption(QStringLiteral("Boxes"));
    }

    TSEdit* AddEdit(const QString& name, Integer left, Integer top, Integer width = 80, Integer height = 24) {
        auto* e = new TSEdit(this);
        e->SetName(name);
        e->SetParent(this);
        e->SetBounds(left, top, width, height);
        Wire(e);
        return e;
    }

    void Wire(TSEdit* e) {
        const std::string n = Utf8(e->Name());
        WireBox(e, n);
        e->OnEditError = [this, n](TObject*) { log.push_back("EditError:" + n); };
    }

    TSComboBox* AddCombo(const QString& name, Integer left, Integer top, Integer width = 100) {
        auto* c = new TSComboBox(this);
        c->SetName(name);
        c->SetParent(this);
        c->SetBounds(left, top, width, 24);
        const std::string n = Utf8(name);
        WireBox(c, n);
        c->OnClick = [this, n](TObject*) { log.push_back("Click:" + n); };
        c->OnChange = [this, n](TObject*) { log.push_back("Change:" + n); };
        return c;
    }

    Trace log;
    bool refuse = false;

private:
    // The events edit and combo boxes share.
    template <class Box>
    void WireBox(Box* box, const std::string& n) {
        box->OnEnter = [this, n](TObject*) { log.push_back("Enter:" + n); };
        box->OnExit = [this, n](TObject*) { log.push_back("Exit:" + n); };
        box->OnModified = [this, n](TObject*) { log.push_back("Modified:" + n); };
        box->OnModifyEx = [this, n](TObject*, bool& accept) {
            log.push_back("ModifyEx:" + n);
            if (refuse) accept = false;
        };
        box->OnMove = [this, n](TObject*, Word direction) {
            log.push_back("Move:" + n + ":" + std::to_string(direction));
        };
    }
};

// ------------------------------------------------------------ the grid

inline std::string CellName(Integer c, Integer r) {
    return std::to_string(c) + "," + std::to_string(r);
}

// A form holding one grid whose events write to a trace.
class GridForm : public TestForm {
public:
    GridForm() {
        SetBounds(100, 100, 760, 360);
        SetCaption(QStringLiteral("Grid"));
        Font()->SetName(QStringLiteral("ＭＳ Ｐゴシック"));
        Font()->SetHeight(-15);
        grid = new TSDBGrid(this);
        grid->SetName(QStringLiteral("grid"));
        grid->SetParent(this);
        grid->SetBounds(8, 8, 740, 250);
        grid->OnModified = [this](TObject*, Integer c, Integer r, bool& accept) {
            log.push_back("Modified:" + CellName(c, r));
            if (refuseModified) accept = false;
            if (onModified) onModified(c, r, accept);
        };
        grid->OnEditError = [this](TObject*, Integer c, Integer r) { log.push_back("EditError:" + CellName(c, r)); };
        grid->OnOutOfCells = [this](TObject*, crDirection d) { log.push_back("OutOfCells:" + std::to_string(d)); };
        grid->OnAutoAppended = [this](TObject*, Integer c, Integer r) {
            log.push_back("AutoAppended:" + CellName(c, r));
        };
    }

    // The eight columns of the voucher window, set up in its order.
    void VoucherColumns() {
        grid->SetColCount(8);
        grid->SetFixedCols(1);
        grid->SetRowCount(10);
        TGridColumns* cols = grid->GridColumns();
        const TSExitKeys all{ekgReturn, ekgRight, ekgLeft, ekgUp, ekgDown, ekgTab};
        auto col = [&](Integer i) { return cols->Items(i); };
        col(0)->SetText(QStringLiteral("行番"));
        col(0)->SetWidth(32);
        col(0)->SetNumericType(ntgZeroFillInteger);
        col(0)->SetMaxValue(999);
        col(0)->SetAlignment(taCenter);
        col(0)->SetAutoSequence(1);
        col(1)->SetText(QStringLiteral("伝種"));
        col(1)->SetWidth(32);
        col(1)->SetNumericType(ntgInteger);
        col(1)->SetMinValue(0);
        col(1)->SetMaxValue(2);
        col(1)->SetAlignment(taCenter);
        col(1)->SetStay(false);
        col(1)->SetCellColor(0xE0FBFE);
        col(1)->SetCellFontColor(0xFF0000);
        col(1)->Lookup()->Clear();
        col(1)->Lookup()->Add(QString());
        col(1)->Lookup()->Add(QStringLiteral("売上"));
        col(1)->Lookup()->Add(QStringLiteral("返品"));
        col(2)->SetText(QStringLiteral("品番"));
        col(2)->SetWidth(48);
        col(2)->SetNumericType(ntgZeroFillInteger);
        col(2)->SetAlignment(taRightJustify);
        col(2)->SetCharTypes({});
        col(2)->SetFixedKeys(all);
        col(3)->SetText(QStringLiteral("品名"));
        col(3)->SetWidth(180);
        col(3)->SetNumericType(ntgDontCare);
        col(3)->SetfpLength(0);
        col(3)->SetAlignment(taLeftJustify);
        col(3)->SetCharTypes({ctgPeriod, ctgMinus});
        col(3)->SetImeMode(imHira);
        col(3)->SetFixedKeys(all);
        col(4)->SetText(QStringLiteral("数量"));
        col(4)->SetWidth(64);
        col(4)->SetNumericType(ntgInteger);
        col(4)->SetAlignment(taRightJustify);
        col(4)->SetCharTypes({ctgConmma});
        col(4)->SetFixedKeys(all);
        col(5)->SetText(QStringLiteral("単価"));
        col(5)->SetWidth(80);
        col(5)->SetNumericType(ntgCurrency);
        col(5)->SetfpLength(1);
        col(5)->SetAlignment(taRightJustify);
        col(5)->SetCharTypes({ctgConmma});
        col(6)->SetText(QStringLiteral("金額"));
        col(6)->SetWidth(120);
        col(6)->SetNumericType(ntgCurrency);
        col(6)->SetfpLength(0);
        col(6)->SetAlignment(taRightJustify);
        col(6)->SetCharTypes({ctgConmma});
        col(6)->SetStay(false);
        col(6)->SetCellColor(0xE0FBFE);
        col(6)->SetCellFontColor(0xFF0000);
        col(7)->SetText(QStringLiteral("備考"));
        col(7)->SetNumericType(ntgDontCare);
        col(7)->SetMaxLength(10);
        col(7)->SetCharTypes({ctgMinus});
        col(7)->SetAutoSize(true);
        col(7)->SetImeMode(imHira);
        col(7)->SetFixedKeys(all);
        for (Integer i = 0; i < 8; ++i) {
            col(i)->SetFontHeight(grid->Font()->Height());
            col(i)->SetCellFontHeight(grid->Font()->Height());
        }
        grid->SetAlign(alClient);
        grid->SetCtl3D(false);
        grid->SetDefaultRowHeight(18);
        grid->SetFixedColor(0xB0D0B0);
        grid->SetTwoToneColor(0xF4F4F4);
        grid->SetMaxRows(9);
        grid->ResetRows(10, true);
        grid->ResetRows(1, true);
        grid->SetRow(grid->FixedRows());
        grid->MoveToFirstStayColumn(true);
        grid->SetAutoAppendLine(true);
        grid->SetAppendIfNull(true);
    }

    // The current cell as "col,row".
    std::string Cursor() const { return CellName(grid->Col(), grid->Row()); }
    Trace With(const std::string& prefix) const {
        Trace out;
        for (const auto& e : log) {
            if (e.rfind(prefix, 0) == 0) out.push_back(e);
        }
        return out;
    }

    TSDBGrid* grid = nullptr;
    Trace log;
    bool refuseModified = false;
    std::function<void(Integer c, Integer r, bool& accept)> onModified;
};

// The fixture of the grid tests: a grid form, not shown yet, whose message
// boxes and beeps are counted.
class GridFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<GridForm>();
        grid = form->grid;
    }

    BoxAndBeepCounter boxes;
    std::unique_ptr<GridForm> form;
    TSDBGrid* grid = nullptr;
};

// Shared pieces of the entry-grid tests: a form with one grid shown and
// active on the offscreen platform, the eight columns of the voucher
// window, real keys, and counters of message boxes and beeps.
#pragma once

#include "Dialogs.h"
#include "Forms.h"
#include "SDBGrid.h"

#include <QtGui/QWindow>
#include <QtTest/QTest>
#include <QtWidgets/QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using GridTrace = std::vector<std::string>;

inline std::string U8(const QString& s) {
    return s.toStdString();
}

inline std::string CellName(Integer c, Integer r) {
    return std::to_string(c) + "," + std::to_string(r);
}

// Counts the message boxes (and answers them) and the beeps.
class BoxAndBeepCounter {
public:
    BoxAndBeepCounter() {
        SetMessageBoxHook([this](const TMessageBoxRequest& r) {
            texts.push_back(U8(r.Text));
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

// A form holding one grid whose events write to a trace.
class GridForm : public TForm {
public:
    GridForm() : TForm(nullptr) {
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

    void ShowActive() {
        Show();
        QWidget* w = Handle();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    }

    QWindow* Window() { return Handle()->windowHandle(); }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(Window(), key, mods); }
    void Type(const QString& text) {
        for (QChar c : text) QTest::keyClick(Window(), char(c.unicode()));
    }
    // The current cell as "col,row".
    std::string Cursor() const { return CellName(grid->Col(), grid->Row()); }
    GridTrace With(const std::string& prefix) const {
        GridTrace out;
        for (const auto& e : log) {
            if (e.rfind(prefix, 0) == 0) out.push_back(e);
        }
        return out;
    }

    TSDBGrid* grid = nullptr;
    GridTrace log;
    bool refuseModified = false;
    std::function<void(Integer c, Integer r, bool& accept)> onModified;
};

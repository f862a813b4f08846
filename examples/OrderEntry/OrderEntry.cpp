// A data-entry program that uses the library: an order form with validated
// edit boxes, a combo box and the entry grid. Enter and the arrow keys move
// from box to box along a navigation map built from their places, and on
// from the last box into the grid; a box whose text does not validate keeps
// the focus. Each line's amount follows its quantity and price. F12 writes
// the order to the standard output and ends the program.
#include "ExtCtrls.h"
#include "FormBuild.h"
#include "Forms.h"
#include "SDBGrid.h"
#include "SEdit.h"
#include "StdCtrls.h"

#include <QtWidgets/QApplication>

#include <cstdio>

namespace {

class TOrderForm : public TForm {
public:
    explicit TOrderForm(TComponent* owner) : TForm(owner) {
        SetCaption(QStringLiteral("Order entry"));
        SetClientSize(480, 240);
        SetKeyPreview(true);  // F12 reaches the form before the focused box
        // Display widths count half-width letters of the fixed-pitch face.
        Font()->SetName(QStringLiteral("MS Gothic"));
        Font()->SetHeight(-13);
        header = MakeControl<TPanel>(this, this, QStringLiteral("Header"), Bounds(0, 0, 480, 64));
        header->SetAlign(alTop);
        number = AddBox(QStringLiteral("No."), 8, 60);
        number->SetNumericType(ntZeroFillInteger);  // 12 shows as 000012
        number->SetMaxValue(999999);
        date = AddBox(QStringLiteral("Date"), 160, 96);
        date->SetNumericType(ntDateymd);  // 2024/5/1 shows as 2024/05/01; 2024/13/1 stays in the box
        customer = AddBox(QStringLiteral("Customer"), 8, 200, 36);
        customer->SetMaxLength(20);
        kind = MakeControl<TSComboBox>(this, header, QStringLiteral("Kind"), Bounds(320, 36, 100, 22));
        kind->SetStyle(csDropDownList);
        kind->Items()->Add(QStringLiteral("Sale"));
        kind->Items()->Add(QStringLiteral("Return"));
        kind->SetItemIndex(0);
        AddGrid();
        SetActiveControl(number);
        OnShow = [this](TObject*) {
            // The boxes link up by their places; the last one leads into the grid.
            TEntryBox* last = TEntryBox::Of(BuildNavigationMap(header, 8, 8));
            last->SetmvRight(lines);
            last->SetmvDown(lines);
        };
        OnKeyDown = [this](TObject*, Word& key, TShiftState) {
            if (key != VK_F12) return;
            key = 0;
            WriteOrder();
            Close();
        };
    }

private:
    // An edit box with its caption to the left, in the header's row at y.
    TSEdit* AddBox(const QString& caption, Integer x, Integer width, Integer y = 8) {
        auto* label = MakeControl<TLabel>(this, header, QString(), Bounds(x, y + 3, 60, 16));
        label->SetCaption(caption);
        return MakeControl<TSEdit>(this, header, QString(), Bounds(x + 64, y, width, 22));
    }

    void AddGrid() {
        lines = MakeControl<TSDBGrid>(this, this, QStringLiteral("Lines"), Bounds(0, 64, 480, 176));
        lines->SetAlign(alClient);
        lines->SetColCount(5);  // the row numbers, then four columns
        TGridColumns* columns = lines->GridColumns();
        const char* titles[] = {"No", "Item", "Qty", "Price", "Amount"};
        for (Integer i = 0; i < 5; ++i) columns->Items(i)->SetText(QString::fromLatin1(titles[i]));
        columns->Items(0)->SetAutoSequence(1);  // numbers the lines
        columns->Items(1)->SetAutoSize(true);   // takes the width the others leave
        columns->Items(2)->SetNumericType(ntgInteger);
        TGridColumn* price = columns->Items(3);
        price->SetNumericType(ntgCurrency);  // the kind first: it resets the limits
        price->SetCharTypes({ctgConmma});    // grouping before decimals: it would drop them
        price->SetfpLength(1);
        price->SetWidth(80);
        TGridColumn* amount = columns->Items(4);
        amount->SetNumericType(ntgCurrency);
        amount->SetCharTypes({ctgConmma});
        amount->SetStay(false);  // shown only: the cursor passes it by
        amount->SetWidth(96);
        for (Integer i = 2; i < 5; ++i) columns->Items(i)->SetAlignment(taRightJustify);
        lines->SetAutoAppendLine(true);  // Enter at the end of the last line adds one
        lines->ResetRows(1, true);
        lines->MoveToFirstStayColumn(true);
        lines->OnModified = [this](TObject*, Integer, Integer row, bool&) {
            const Integer qty = lines->FieldByName(QStringLiteral("Qty"), row)->AsInteger();
            const Currency price = lines->FieldByName(QStringLiteral("Price"), row)->AsCurrency();
            lines->FieldByName(QStringLiteral("Amount"), row)->SetAsCurrency(Currency(qty) * price);
        };
    }

    void WriteOrder() {
        Print({number->Text(), date->Text(), customer->Text(), kind->Text()});
        for (Integer row = lines->FixedRows(); row < lines->RowCount(); ++row) {
            if (lines->IsRowNull(row)) continue;
            QStringList cells;
            for (Integer col = 0; col < lines->ColCount(); ++col) cells << lines->Cells(col, row);
            Print(cells);
        }
    }
    static void Print(const QStringList& fields) {
        std::printf("%s\n", fields.join(QLatin1Char(' ')).toUtf8().constData());
    }

    TPanel* header;
    TSEdit* number;
    TSEdit* date;
    TSEdit* customer;
    TSComboBox* kind;
    TSDBGrid* lines;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);  // the library's units start here
    Application->Initialize();
    TOrderForm* form = nullptr;
    Application->CreateForm(form);  // the first form is the main window
    Application->Run();             // until the main window closes
    Application->DestroyComponents();
    return 0;
}

// The entry grid against a QTableWidget with the same columns, in the same
// run: clearing the rows (numbered again, the cursor back in the first
// row), filling the amount column, totalling it by its title and 1,000
// cursor moves by key. The steps of a round take turns as BenchSupport.h
// runs them, more rounds for fewer rows; a step is timed until the events
// it left are all delivered (the repaint among them, also one a view puts
// off to a zero timer), and both sides' cells, totals and cursor rows are
// compared after every round. Each comparison prints a line ending with
// ours / QTableWidget, then how the times grow with the rows.
// Usage: grid_bench [rows...]   (default: 1000 10000 100000)
#include "BenchSupport.h"
#include "Forms.h"
#include "SDBGrid.h"

#include <QtGui/QKeyEvent>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QTableWidget>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

const QStringList kTitles{QStringLiteral("行番"), QStringLiteral("品名"), QStringLiteral("数量"),
                          QStringLiteral("単価"), QStringLiteral("金額")};
const QString kAmount = QStringLiteral("金額");
constexpr int kAmountColumn = 4;
constexpr int kMoves = 1000;

// Delivers events until none is left: a view that lays itself out on a
// zero timer paints only after that.
class EventCount : public QObject {
public:
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent*) override {
        ++count;
        return false;
    }
};

void Settle() {
    static EventCount* events = [] {
        auto* filter = new EventCount;
        qApp->installEventFilter(filter);
        return filter;
    }();
    for (int pass = 0; pass < 20; ++pass) {
        events->count = 0;
        QApplication::processEvents();
        if (events->count == 0) return;
    }
}

void Activate(QWidget* window) {
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window)) std::fprintf(stderr, "window not active\n");
    QApplication::processEvents();
}

// Moves by key as fast as they come, so that nothing is painted between
// them; the paint they leave behind is settled by the caller.
void MoveDown() {
    for (int i = 0; i < kMoves; ++i) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(QApplication::focusWidget(), &press);
        QApplication::sendEvent(QApplication::focusWidget(), &release);
    }
}

QString AmountText(int row) {
    return QString::number(row % 977);
}

class GridSide {
public:
    GridSide() {
        form_.SetBounds(0, 0, 560, 400);
        grid_ = new TSDBGrid(&form_);
        grid_->SetParent(&form_);
        grid_->SetBounds(8, 8, 540, 380);
        grid_->SetColCount(int(kTitles.size()));
        grid_->SetFixedCols(1);
        const TSNumericType types[] = {ntgZeroFillInteger, ntgDontCare, ntgInteger, ntgCurrency, ntgCurrency};
        for (int c = 0; c < kTitles.size(); ++c) {
            grid_->GridColumns()->Items(c)->SetText(kTitles[c]);
            grid_->GridColumns()->Items(c)->SetNumericType(types[c]);
        }
        grid_->GridColumns()->Items(0)->SetAutoSequence(1);
        form_.Show();
        Activate(form_.Handle());
    }
    void Reset(int rows) { grid_->ResetRows(rows, true); }
    void Fill(int rows) {
        for (int r = 1; r <= rows; ++r) {
            QString text;
            grid_->SetCurrencyByName(kAmount, r, text, Currency(r % 977));
        }
    }
    double Total(int rows) {
        Currency total;
        QString text;
        for (int r = 1; r <= rows; ++r) total += grid_->GetCurrencyByName(kAmount, r, text);
        return double(total.Raw()) / 10000;
    }
    void Focus() {
        Activate(form_.Handle());
        grid_->SetFocus();
        QApplication::processEvents();
    }
    int Rows() const { return grid_->RowCount() - grid_->FixedRows(); }
    int Row() const { return grid_->Row(); }
    // Row numbers 1.. in the first column, and the amount column as
    // filled (or empty).
    bool CellsAre(bool filled) const {
        for (int r = 1; r <= Rows(); ++r) {
            if (grid_->Cells(0, r).toInt() != r) return false;
            if (grid_->Cells(kAmountColumn, r) != (filled ? AmountText(r) : QString())) return false;
        }
        return true;
    }

private:
    TForm form_{nullptr};
    TSDBGrid* grid_ = nullptr;
};

class TableSide {
public:
    TableSide() {
        table_.resize(560, 400);
        table_.setColumnCount(int(kTitles.size()));
        table_.setHorizontalHeaderLabels(kTitles);
        Activate(&table_);
    }
    // The same job as the grid's: every cell emptied, the rows numbered,
    // the cursor back in the first row.
    void Reset(int rows) {
        table_.clearContents();
        table_.setRowCount(rows);
        for (int r = 0; r < rows; ++r) table_.setItem(r, 0, new QTableWidgetItem(QString::number(r + 1)));
        table_.setCurrentCell(0, 1);
    }
    void Fill(int rows) {
        const int column = ColumnOf(kAmount);
        for (int r = 0; r < rows; ++r)
            table_.setItem(r, column, new QTableWidgetItem(QLocale::system().toString((r + 1) % 977 + 0.0, 'f', 0)));
    }
    double Total(int rows) {
        double total = 0;
        for (int r = 0; r < rows; ++r) {
            const QTableWidgetItem* item = table_.item(r, ColumnOf(kAmount));
            total += item ? QString(item->text()).remove(QLatin1Char(',')).toDouble() : 0;
        }
        return total;
    }
    void Focus() {
        Activate(&table_);
        table_.setFocus();
        table_.setCurrentCell(0, 1);
        QApplication::processEvents();
    }
    int Rows() const { return table_.rowCount(); }
    int Row() const { return table_.currentRow() + 1; }
    bool CellsAre(bool filled) const {
        for (int r = 1; r <= Rows(); ++r) {
            if (Text(r - 1, 0).toInt() != r) return false;
            if (Text(r - 1, kAmountColumn) != (filled ? AmountText(r) : QString())) return false;
        }
        return true;
    }

private:
    QString Text(int row, int column) const {
        const QTableWidgetItem* item = table_.item(row, column);
        return item ? item->text() : QString();
    }
    int ColumnOf(const QString& title) const {
        for (int c = 0; c < table_.columnCount(); ++c)
            if (table_.horizontalHeaderItem(c)->text().compare(title, Qt::CaseInsensitive) == 0) return c;
        return -1;
    }
    QTableWidget table_;
};

// One side's step: made ready off the clock, then timed until the events
// it left are all delivered.
struct Step {
    std::function<void()> prepare;
    std::function<void()> work;
};

bench::Times Timed(const Step& step) {
    if (step.prepare) step.prepare();
    Settle();
    return bench::Measure([&] {
        step.work();
        Settle();
    });
}

// Both sides' step in the round's order; the warm-up round counts not.
void Time(const bench::Turns& turns, bench::Best& best, const Step& ours, const Step& peer) {
    bench::Times o, p;
    if (turns.OursFirst()) {
        o = Timed(ours);
        p = Timed(peer);
    } else {
        p = Timed(peer);
        o = Timed(ours);
    }
    if (turns.WarmingUp()) return;
    best.Ours.KeepBest(o);
    best.Peer.KeepBest(p);
}

std::string CellsDiffer(bool ours, bool peer, const char* expected) {
    if (ours && peer) return {};
    return bench::Format("%s: the cells are not %s", ours ? "QTableWidget" : "ours", expected);
}

// Short runs get more rounds, so that a quiet moment is among them.
int RoundsFor(int rows) {
    return rows < 10000 ? 40 : rows < 100000 ? 15 : bench::kMinRounds;
}

void Run(int rows, bench::Growth& growth) {
    GridSide grid;
    TableSide table;
    bench::Best reset, fill, total, moves;
    bench::Turns turns(bench::Format("%d rows", rows), RoundsFor(rows));
    while (turns.Next()) {
        Time(turns, reset, {{}, [&] { grid.Reset(rows); }}, {{}, [&] { table.Reset(rows); }});
        turns.Check("reset", CellsDiffer(grid.Rows() == rows && grid.CellsAre(false),
                                         table.Rows() == rows && table.CellsAre(false), "emptied and numbered"));
        Time(turns, fill, {{}, [&] { grid.Fill(rows); }}, {{}, [&] { table.Fill(rows); }});
        turns.Check("fill", CellsDiffer(grid.CellsAre(true), table.CellsAre(true), "filled"));
        double ours = 0, peer = 0;
        Time(turns, total, {{}, [&] { ours = grid.Total(rows); }}, {{}, [&] { peer = table.Total(rows); }});
        turns.Check("total", bench::Equal<double>("%.0f")(ours, peer));
        Time(turns, moves, {[&] { grid.Focus(); }, MoveDown}, {[&] { table.Focus(); }, MoveDown});
        turns.Check("moves", bench::Equal<int>("row %d")(grid.Row(), table.Row()));
    }
    const std::pair<const char*, const bench::Best&> lines[] = {
        {"reset", reset}, {"fill", fill}, {"total", total}, {"moves", moves}};
    for (const auto& [what, best] : lines) {
        bench::PrintTimeRatio(bench::Format("%s %d rows", what, rows), "QTableWidget", best, turns.Rounds());
        growth.Add(bench::Format("ours, %s", what), rows, best.Ours.Wall);
    }
    growth.Add("QTableWidget, reset", rows, reset.Peer.Wall);
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {1000, 10000, 100000};
    bench::Growth growth;
    for (int rows : sizes) Run(rows, growth);
    growth.Print();
    return 0;
}

// The entry grid against a QTableWidget with the same columns, in the same
// run: clearing the rows (row numbers written again), filling the amount
// column, totalling it by its title and 1,000 cursor moves by key. Each
// operation runs ours and the table alternately, round by round (the order
// swapped every round), after one warm-up round; the best round counts.
// Every timed step ends when the events it left are all delivered (the
// repaint among them, also one a view puts off to a zero timer), and both
// sides' results are compared after each round. Each comparison
// prints a line ending with ours / QTableWidget.
// Usage: grid_bench [rows...]   (default: 1000 10000 100000)
#include "Forms.h"
#include "SDBGrid.h"

#include <QtGui/QKeyEvent>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QTableWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>

namespace {

using Clock = std::chrono::steady_clock;

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

// One side's step: made ready (not timed), then done together with the
// events it leaves behind.
struct Step {
    std::function<void()> prepare;
    std::function<void()> work;
};

double Seconds(const Step& step) {
    if (step.prepare) step.prepare();
    Settle();
    const auto start = Clock::now();
    step.work();
    Settle();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The best time of each side over the counted rounds.
struct Best {
    double ours = std::numeric_limits<double>::infinity();
    double peer = std::numeric_limits<double>::infinity();
};

class Comparison {
public:
    Comparison(int rows, int rounds) : rows_(rows), rounds_(rounds) {}

    // Both sides' step in this round's order; the warm-up round counts not.
    void Run(Best& best, const Step& ours, const Step& peer) {
        const bool oursFirst = round_ % 2 == 0;
        const double first = Seconds(oursFirst ? ours : peer);
        const double second = Seconds(oursFirst ? peer : ours);
        if (round_ == 0) return;
        best.ours = std::min(best.ours, oursFirst ? first : second);
        best.peer = std::min(best.peer, oursFirst ? second : first);
    }
    void Check(const char* after, bool same) {
        if (same) return;
        std::printf("results differ after %s, round %d, %d rows\n", after, round_, rows_);
        failed_ = true;
    }
    void Print(const char* what, const Best& best) const {
        std::printf("%-6s %8d rows: ours %9.4f s, QTableWidget %9.4f s, best of %d, ratio %.3f\n", what, rows_,
                    best.ours, best.peer, rounds_, best.ours / best.peer);
    }
    bool NextRound() { return ++round_ <= rounds_; }
    bool Failed() const { return failed_; }

private:
    int rows_;
    int rounds_;
    int round_ = 0;
    bool failed_ = false;
};

// Short runs get more rounds, so that a quiet moment is among them.
int RoundsFor(int rows) {
    return rows < 10000 ? 40 : rows < 100000 ? 15 : 5;
}

bool Run(int rows) {
    GridSide grid;
    TableSide table;
    Comparison run(rows, RoundsFor(rows));
    Best reset, fill, total, moves;
    do {
        run.Run(reset, {{}, [&] { grid.Reset(rows); }}, {{}, [&] { table.Reset(rows); }});
        run.Check("reset", grid.Rows() == rows && table.Rows() == rows && grid.CellsAre(false) &&
                               table.CellsAre(false));
        run.Run(fill, {{}, [&] { grid.Fill(rows); }}, {{}, [&] { table.Fill(rows); }});
        run.Check("fill", grid.CellsAre(true) && table.CellsAre(true));
        double ours = 0, peer = 0;
        run.Run(total, {{}, [&] { ours = grid.Total(rows); }}, {{}, [&] { peer = table.Total(rows); }});
        run.Check("total", ours == peer);
        run.Run(moves, {[&] { grid.Focus(); }, MoveDown}, {[&] { table.Focus(); }, MoveDown});
        run.Check("moves", grid.Row() == table.Row() && grid.Rows() == rows && table.Rows() == rows);
    } while (run.NextRound());
    run.Print("reset", reset);
    run.Print("fill", fill);
    run.Print("total", total);
    run.Print("moves", moves);
    return !run.Failed();
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {1000, 10000, 100000};
    bool same = true;
    for (int rows : sizes) same = Run(rows) && same;
    return same ? 0 : 1;
}

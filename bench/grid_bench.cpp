// The entry grid against a QTableWidget with the same columns, in the same
// run: clearing the rows, filling the amount column, totalling it by its
// title and 1,000 cursor moves by key, at three sizes. Each comparison
// prints a line ending with ours / QTableWidget.
#include "Forms.h"
#include "SDBGrid.h"

#include <QtGui/QKeyEvent>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QTableWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

using Clock = std::chrono::steady_clock;

const QStringList kTitles{QStringLiteral("行番"), QStringLiteral("品名"), QStringLiteral("数量"),
                          QStringLiteral("単価"), QStringLiteral("金額")};
const QString kAmount = QStringLiteral("金額");
constexpr int kMoves = 1000;

double Seconds(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void Activate(QWidget* window) {
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window)) std::fprintf(stderr, "window not active\n");
    QApplication::processEvents();
}

// Moves by key as fast as they come, so that nothing is painted between
// them, then the paint they leave behind.
void MoveDown() {
    for (int i = 0; i < kMoves; ++i) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(QApplication::focusWidget(), &press);
        QApplication::sendEvent(QApplication::focusWidget(), &release);
    }
    QApplication::processEvents();
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
        return double(total.Raw());
    }
    void Focus() {
        Activate(form_.Handle());
        grid_->SetFocus();
        QApplication::processEvents();
    }
    void Moves() { MoveDown(); }
    int Row() const { return grid_->Row(); }

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
    void Reset(int rows) {
        table_.setRowCount(0);
        table_.setRowCount(rows);
        for (int r = 0; r < rows; ++r) table_.setItem(r, 0, new QTableWidgetItem(QString::number(r + 1)));
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
            total += item ? QString(item->text()).remove(QLatin1Char(',')).toDouble() * 10000 : 0;
        }
        return total;
    }
    void Focus() {
        Activate(&table_);
        table_.setFocus();
        table_.setCurrentCell(0, 1);
        QApplication::processEvents();
    }
    void Moves() { MoveDown(); }
    int Row() const { return table_.currentRow() + 1; }

private:
    int ColumnOf(const QString& title) const {
        for (int c = 0; c < table_.columnCount(); ++c)
            if (table_.horizontalHeaderItem(c)->text().compare(title, Qt::CaseInsensitive) == 0) return c;
        return -1;
    }
    QTableWidget table_;
};

void Compare(const char* what, int rows, double ours, double peer) {
    std::printf("%-6s %7d rows: ours %9.4f s, QTableWidget %9.4f s, ratio %.3f\n", what, rows, ours, peer,
                ours / peer);
}

void Run(int rows) {
    GridSide grid;
    TableSide table;
    const double resetOurs = Seconds([&] { grid.Reset(rows); });
    const double resetPeer = Seconds([&] { table.Reset(rows); });
    Compare("reset", rows, resetOurs, resetPeer);
    const double fillOurs = Seconds([&] { grid.Fill(rows); });
    const double fillPeer = Seconds([&] { table.Fill(rows); });
    Compare("fill", rows, fillOurs, fillPeer);
    double sumOurs = 0, sumPeer = 0;
    const double totalOurs = Seconds([&] { sumOurs = grid.Total(rows); });
    const double totalPeer = Seconds([&] { sumPeer = table.Total(rows); });
    if (sumOurs != sumPeer) std::printf("totals differ: %.0f against %.0f\n", sumOurs, sumPeer);
    Compare("total", rows, totalOurs, totalPeer);
    grid.Focus();
    const double movesOurs = Seconds([&] { grid.Moves(); });
    table.Focus();
    const double movesPeer = Seconds([&] { table.Moves(); });
    if (grid.Row() != table.Row()) std::printf("rows differ after moves: %d against %d\n", grid.Row(), table.Row());
    Compare("moves", rows, movesOurs, movesPeer);
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    for (int rows : {1000, 10000, 100000}) Run(rows);
    return 0;
}

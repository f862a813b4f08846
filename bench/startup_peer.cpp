// The other side of startup_bench: a bare Qt program showing one window the
// size of the voucher window, holding a QTableWidget with the voucher grid's
// eight titled columns and ten rows.
#include <QtWidgets/QApplication>
#include <QtWidgets/QTableWidget>
#include <QtWidgets/QVBoxLayout>
#include <QtWidgets/QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("QTableWidget"));
    auto* layout = new QVBoxLayout(&window);
    auto* table = new QTableWidget(10, 8, &window);
    table->setHorizontalHeaderLabels({QStringLiteral("行番"), QStringLiteral("伝種"), QStringLiteral("品番"),
                                      QStringLiteral("品名"), QStringLiteral("数量"), QStringLiteral("単価"),
                                      QStringLiteral("金額"), QStringLiteral("備考")});
    layout->addWidget(table);
    window.resize(752, 446);
    window.show();
    return app.exec();
}

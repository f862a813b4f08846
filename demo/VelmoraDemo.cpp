// Placeholder start-up until the voucher-entry window exists: a window that
// says what is not built yet.
#include <QtWidgets/QApplication>
#include <QtWidgets/QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label(QStringLiteral(
        "カスタムコンポーネント・デモ\n\n"
        "The voucher-entry window is not built yet."));
    label.setWindowTitle(QStringLiteral("カスタムコンポーネント・デモ"));
    label.setAlignment(Qt::AlignCenter);
    label.resize(480, 200);
    label.show();
    return app.exec();
}

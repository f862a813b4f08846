// The window of the print and printer set-up dialogs, of plain Qt widgets:
// Qt's own print dialog lists only CUPS queues, so the built-in PDF
// printer would show as no printer at all.
#include "PrintDialogs.h"

#include <QtCore/QEvent>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QDialog>
#include <QtWidgets/QDialogButtonBox>
#include <QtWidgets/QFormLayout>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QSpinBox>
#include <QtWidgets/QVBoxLayout>

#include <algorithm>

namespace {

TPrintDialogHook& DialogHook() {
    static TPrintDialogHook hook;
    return hook;
}

constexpr int kPaperCodeRole = Qt::UserRole;
constexpr int kPaperSizeRole = Qt::UserRole + 1;  // QSize, portrait, 0.1 mm
constexpr Integer kHighestPage = 9999;
constexpr Cardinal kChosenFields = DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_ORIENTATION | DM_COPIES |
                                   DM_COLLATE | DM_DUPLEX | DM_COLOR;

template <class T>
T* Named(T* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

void SelectData(QComboBox* box, int value) {
    box->setCurrentIndex(std::max(0, box->findData(value)));
}

class TPrintDialogWindow : public QDialog {
public:
    TPrintDialogWindow(const TPrinter& printer, const TPrintDialogChoice& choice, TPrintDialogOptions options,
                       bool setup, QWidget* parent)
        : QDialog(parent), printer_(printer), choice_(choice) {
        setWindowTitle(setup ? QStringLiteral("プリンターの設定") : QStringLiteral("印刷"));
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(PrinterBox(options, setup));
        auto* row = new QHBoxLayout;
        row->addWidget(RangeBox(options));
        row->addWidget(CopiesBox());
        layout->addLayout(row);
        layout->addWidget(PaperBox());
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        layout->addWidget(buttons);
        // The set-up chooses printer and paper only.
        for (QWidget* part : {range_, copiesBox_}) part->setVisible(!setup);
        const Integer first = choice.PrintToFile && !IsFilePrinter(choice.PrinterIndex) ? FilePrinter()
                                                                                      : choice.PrinterIndex;
        ShowPrinter(first, first == choice.PrinterIndex ? choice.Mode : printer.Driver(first).DefaultMode());
        connect(printers_, &QComboBox::currentIndexChanged, this, [this](int index) { PrinterChosen(index); });
        connect(toFile_, &QCheckBox::toggled, this, [this](bool on) { PrintToFileToggled(on); });
    }

    // What the window holds: the chosen printer and, in its device mode, the
    // paper, orientation, copies, collation, sides and colour.
    TPrintDialogChoice Choice() const {
        TPrintDialogChoice chosen = choice_;
        chosen.PrinterIndex = printers_->currentIndex();
        DevMode& mode = chosen.Mode;
        if (chosen.PrinterIndex != choice_.PrinterIndex) mode = printer_.Driver(chosen.PrinterIndex).DefaultMode();
        mode.dmFields |= kChosenFields;
        if (paper_->currentIndex() >= 0) {
            const QSize size = paper_->currentData(kPaperSizeRole).toSize();
            mode.dmPaperSize = SmallInt(paper_->currentData(kPaperCodeRole).toInt());
            mode.dmPaperWidth = SmallInt(size.width());
            mode.dmPaperLength = SmallInt(size.height());
        }
        mode.dmOrientation = landscape_->isChecked() ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
        mode.dmCopies = SmallInt(copies_->value());
        mode.dmCollate = collate_->isChecked() ? DMCOLLATE_TRUE : DMCOLLATE_FALSE;
        mode.dmDuplex = SmallInt(duplex_->currentData().toInt());
        mode.dmColor = SmallInt(colour_->currentData().toInt());
        chosen.PrintRange = selection_->isChecked() ? prSelection : pages_->isChecked() ? prPageNums : prAllPages;
        if (chosen.PrintRange == prPageNums) {
            chosen.FromPage = from_->value();
            chosen.ToPage = to_->value();
        }
        chosen.PrintToFile = IsFilePrinter(chosen.PrinterIndex);
        return chosen;
    }

private:
    QGroupBox* PrinterBox(TPrintDialogOptions options, bool setup) {
        auto* box = new QGroupBox(QStringLiteral("プリンター"), this);
        auto* form = new QFormLayout(box);
        printers_ = Named(new QComboBox(box), "printer");
        printers_->setMinimumWidth(280);
        for (Integer i = 0; i < printer_.Printers()->Count(); ++i) printers_->addItem(printer_.Printers()->Strings(i));
        auto* name = new QLabel(QStringLiteral("プリンター名(&N):"), box);
        name->setBuddy(printers_);
        form->addRow(name, printers_);
        type_ = Named(new QLabel(box), "type");
        form->addRow(QStringLiteral("種類:"), type_);
        location_ = Named(new QLabel(box), "location");
        location_->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(QStringLiteral("場所:"), location_);
        toFile_ = Named(new QCheckBox(QStringLiteral("ファイルへ出力(&L)"), box), "printToFile");
        form->addRow(toFile_);
        // Print to file is the printer that writes files: offered where there
        // is also a printer that does not.
        const bool both = FilePrinter() >= 0 && Queue(0) >= 0;
        toFile_->setVisible(!setup && options.Contains(poPrintToFile));
        toFile_->setEnabled(both && !options.Contains(poDisablePrintToFile));
        return box;
    }

    QGroupBox* RangeBox(TPrintDialogOptions options) {
        range_ = new QGroupBox(QStringLiteral("印刷範囲"), this);
        auto* grid = new QGridLayout(range_);
        all_ = Named(new QRadioButton(QStringLiteral("すべて(&A)"), range_), "allPages");
        pages_ = Named(new QRadioButton(QStringLiteral("ページ指定(&G)"), range_), "pageNums");
        selection_ = Named(new QRadioButton(QStringLiteral("選択した部分(&S)"), range_), "selection");
        from_ = Named(new QSpinBox(range_), "from");
        to_ = Named(new QSpinBox(range_), "to");
        const Integer low = std::max<Integer>(1, choice_.MinPage);
        const Integer high = choice_.MaxPage >= low ? choice_.MaxPage : kHighestPage;
        for (QSpinBox* spin : {from_, to_}) spin->setRange(low, high);
        from_->setValue(choice_.FromPage > 0 ? choice_.FromPage : low);
        to_->setValue(choice_.ToPage > 0 ? choice_.ToPage : high);
        grid->addWidget(all_, 0, 0, 1, 5);
        grid->addWidget(pages_, 1, 0);
        grid->addWidget(from_, 1, 1);
        grid->addWidget(new QLabel(QStringLiteral("から"), range_), 1, 2);
        grid->addWidget(to_, 1, 3);
        grid->addWidget(new QLabel(QStringLiteral("まで"), range_), 1, 4);
        grid->addWidget(selection_, 2, 0, 1, 5);
        const bool pageNums = options.Contains(poPageNums);
        for (QWidget* part : {static_cast<QWidget*>(pages_), static_cast<QWidget*>(from_), static_cast<QWidget*>(to_)})
            part->setEnabled(pageNums);
        selection_->setEnabled(options.Contains(poSelection));
        QRadioButton* checked = choice_.PrintRange == prPageNums && pageNums                      ? pages_
                                : choice_.PrintRange == prSelection && options.Contains(poSelection) ? selection_
                                                                                                    : all_;
        checked->setChecked(true);
        // Typing a page chooses the pages, and the range stays in order.
        connect(from_, &QSpinBox::valueChanged, this, [this](int from) {
            pages_->setChecked(true);
            if (to_->value() < from) to_->setValue(from);
        });
        connect(to_, &QSpinBox::valueChanged, this, [this](int to) {
            pages_->setChecked(true);
            if (from_->value() > to) from_->setValue(to);
        });
        return range_;
    }

    QGroupBox* CopiesBox() {
        copiesBox_ = new QGroupBox(QStringLiteral("印刷部数"), this);
        auto* form = new QFormLayout(copiesBox_);
        copies_ = Named(new QSpinBox(copiesBox_), "copies");
        copies_->setRange(1, kHighestPage);
        copies_->setValue(std::max<Integer>(1, choice_.Mode.dmCopies));
        auto* label = new QLabel(QStringLiteral("部数(&C):"), copiesBox_);
        label->setBuddy(copies_);
        form->addRow(label, copies_);
        collate_ = Named(new QCheckBox(QStringLiteral("部単位で印刷(&O)"), copiesBox_), "collate");
        collate_->setChecked(choice_.Mode.dmCollate == DMCOLLATE_TRUE);
        form->addRow(collate_);
        return copiesBox_;
    }

    QGroupBox* PaperBox() {
        auto* box = new QGroupBox(QStringLiteral("用紙"), this);
        auto* form = new QFormLayout(box);
        paper_ = Named(new QComboBox(box), "paper");
        auto* size = new QLabel(QStringLiteral("サイズ(&Z):"), box);
        size->setBuddy(paper_);
        form->addRow(size, paper_);
        auto* sides = new QHBoxLayout;
        portrait_ = Named(new QRadioButton(QStringLiteral("縦(&P)"), box), "portrait");
        landscape_ = Named(new QRadioButton(QStringLiteral("横(&H)"), box), "landscape");
        sides->addWidget(portrait_);
        sides->addWidget(landscape_);
        sides->addStretch();
        form->addRow(QStringLiteral("印刷の向き:"), sides);
        duplex_ = Named(new QComboBox(box), "duplex");
        duplex_->addItem(QStringLiteral("片面"), int(DMDUP_SIMPLEX));
        duplex_->addItem(QStringLiteral("両面 (長辺とじ)"), int(DMDUP_VERTICAL));
        duplex_->addItem(QStringLiteral("両面 (短辺とじ)"), int(DMDUP_HORIZONTAL));
        form->addRow(QStringLiteral("両面印刷:"), duplex_);
        colour_ = Named(new QComboBox(box), "color");
        colour_->addItem(QStringLiteral("カラー"), int(DMCOLOR_COLOR));
        colour_->addItem(QStringLiteral("モノクロ"), int(DMCOLOR_MONOCHROME));
        form->addRow(QStringLiteral("色:"), colour_);
        return box;
    }

    // Shows printer index with mode; copies and collation stay as chosen
    // where the printer takes them.
    void ShowPrinter(Integer index, const DevMode& mode) {
        const TPrinterDriver& driver = printer_.Driver(index);
        const Cardinal fields = driver.DefaultMode().dmFields;
        const QSignalBlocker blockPrinter(printers_), blockFile(toFile_);
        printers_->setCurrentIndex(index);
        type_->setText(driver.DriverName());
        location_->setText(driver.PortName());
        toFile_->setChecked(IsFilePrinter(index));
        if (!IsFilePrinter(index)) lastQueue_ = index;
        ShowPapers(driver, mode);
        (mode.dmOrientation == DMORIENT_LANDSCAPE ? landscape_ : portrait_)->setChecked(true);
        SelectData(duplex_, mode.dmDuplex);
        SelectData(colour_, mode.dmColor);
        const auto enable = [fields](QWidget* widget, Cardinal field) { widget->setEnabled((fields & field) != 0); };
        enable(paper_, DM_PAPERSIZE);
        enable(portrait_, DM_ORIENTATION);
        enable(landscape_, DM_ORIENTATION);
        enable(duplex_, DM_DUPLEX);
        enable(colour_, DM_COLOR);
        enable(copies_, DM_COPIES);
        enable(collate_, DM_COLLATE);
        if (!copies_->isEnabled()) copies_->setValue(1);
        if (!collate_->isEnabled()) collate_->setChecked(false);
    }

    // The driver's papers, the one of mode chosen; a size the driver has no
    // name for is offered as it is.
    void ShowPapers(const TPrinterDriver& driver, const DevMode& mode) {
        paper_->clear();
        const std::vector<Word> codes = driver.Papers();
        const QStringList names = PaperNames(driver);
        const std::vector<TPoint> sizes = PaperSizes(driver);
        const QSizeF mm = DevModePaperSize(mode);
        const QSize wanted(qRound(mm.width() * 10), qRound(mm.height() * 10));
        int chosen = -1;
        for (size_t i = 0; i < codes.size(); ++i) {
            const QSize size(sizes[i].X, sizes[i].Y);
            paper_->addItem(names[qsizetype(i)]);
            paper_->setItemData(int(i), int(codes[i]), kPaperCodeRole);
            paper_->setItemData(int(i), size, kPaperSizeRole);
            if (size == wanted && (chosen < 0 || codes[i] == Word(mode.dmPaperSize))) chosen = int(i);
        }
        if (chosen < 0 && !mm.isEmpty()) {
            chosen = paper_->count();
            paper_->addItem(QStringLiteral("ユーザー定義 (%1 x %2 mm)").arg(mm.width()).arg(mm.height()));
            paper_->setItemData(chosen, int(DMPAPER_USER), kPaperCodeRole);
            paper_->setItemData(chosen, wanted, kPaperSizeRole);
        }
        paper_->setCurrentIndex(std::max(0, chosen));
    }

    // Another printer shows its own device mode.
    void PrinterChosen(int index) {
        if (index < 0) return;
        ShowPrinter(index, index == choice_.PrinterIndex ? choice_.Mode : printer_.Driver(index).DefaultMode());
    }

    void PrintToFileToggled(bool on) {
        const Integer index = on ? FilePrinter() : lastQueue_ >= 0 ? lastQueue_ : Queue(0);
        if (index >= 0) printers_->setCurrentIndex(index);
    }

    bool IsFilePrinter(Integer index) const { return printer_.Driver(index).QueueName().isEmpty(); }
    // The first printer that writes files, or -1.
    Integer FilePrinter() const {
        for (Integer i = 0; i < printer_.Printers()->Count(); ++i)
            if (IsFilePrinter(i)) return i;
        return -1;
    }
    // The first queue from index on, or -1.
    Integer Queue(Integer index) const {
        for (Integer i = index; i < printer_.Printers()->Count(); ++i)
            if (!IsFilePrinter(i)) return i;
        return -1;
    }

    const TPrinter& printer_;
    const TPrintDialogChoice choice_;
    Integer lastQueue_ = -1;
    QComboBox* printers_ = nullptr;
    QLabel* type_ = nullptr;
    QLabel* location_ = nullptr;
    QCheckBox* toFile_ = nullptr;
    QGroupBox* range_ = nullptr;
    QRadioButton* all_ = nullptr;
    QRadioButton* pages_ = nullptr;
    QRadioButton* selection_ = nullptr;
    QSpinBox* from_ = nullptr;
    QSpinBox* to_ = nullptr;
    QGroupBox* copiesBox_ = nullptr;
    QSpinBox* copies_ = nullptr;
    QCheckBox* collate_ = nullptr;
    QComboBox* paper_ = nullptr;
    QRadioButton* portrait_ = nullptr;
    QRadioButton* landscape_ = nullptr;
    QComboBox* duplex_ = nullptr;
    QComboBox* colour_ = nullptr;
};

// Runs a callback once, as the window it watches appears.
class TShownFilter : public QObject {
public:
    TShownFilter(QDialog& dialog, const std::function<void(QDialog&)>& shown) : dialog_(dialog), shown_(shown) {
        dialog.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &dialog_ && event->type() == QEvent::Show && shown_) {
            dialog_.removeEventFilter(this);
            shown_(dialog_);
        }
        return false;
    }

private:
    QDialog& dialog_;
    const std::function<void(QDialog&)>& shown_;
};

}  // namespace

void SetPrintDialogHook(TPrintDialogHook hook) {
    DialogHook() = std::move(hook);
}

bool RunPrintDialog(const TPrinter& printer, TPrintDialogChoice& choice, TPrintDialogOptions options, bool setup,
                    QWidget* parent, const std::function<void(QDialog&)>& shown) {
    TPrintDialogWindow window(printer, choice, options, setup, parent);
    int result = QDialog::Rejected;
    if (DialogHook()) {
        if (shown) shown(window);
        result = DialogHook()(window);
    } else {
        TShownFilter filter(window, shown);
        result = window.exec();
    }
    if (result != QDialog::Accepted) return false;
    choice = window.Choice();
    return true;
}

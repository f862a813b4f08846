// Report measurements: any bytes read as a "Values" list into the page, a
// band's size and a printable's size of a report. The first input byte
// chooses the target and the unit the values are then read back in.
// Invariants: a failure is a framework exception and leaves the stored
// values as they were; a list taken is read back in every unit without a
// fault, and sizes it pushes to the controls stay whole numbers of pixels.
#include "FuzzSupport.h"

#include "QRReport.h"

#include <QtWidgets/QApplication>

#include <cstdlib>
#include <vector>

namespace {

struct Report {
    TCustomRazorUze report{nullptr};
    TQRBand* band = nullptr;
    TQRPrintable* printable = nullptr;

    Report() {
        band = new TQRBand(&report);
        band->SetParent(&report);
        band->SetBandType(rbDetail);
        printable = new TQRPrintable(&report);
        printable->SetParent(band);
    }
};

Report& Shared() {
    static Report* report = new Report;  // lives as long as the process
    return *report;
}

std::vector<Extended> Raw(const TQRUnitBase& unit) {
    std::vector<Extended> values;
    for (int i = 0; i < unit.ValueCount(); ++i) values.push_back(unit.RawValue(i));
    return values;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("QT_FONT_DPI", "96", 1);
    new QApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    Report& r = Shared();
    TQRUnitBase* targets[] = {r.report.Page(), r.band->Size(), r.printable->Size()};
    TQRUnitBase& target = *targets[data[0] % 3];
    const TQRUnit unit = TQRUnit(data[0] / 3 % 5);
    const std::vector<Extended> before = Raw(target);

    TMemoryStream stream;
    stream.WriteBuffer(data + 1, Integer(size - 1));
    stream.SetPosition(0);
    bool taken = true;
    try {
        target.ReadValues(stream);
    } catch (const Exception&) {
        taken = false;
    }
    if (!taken) {
        FUZZ_CHECK(Raw(target) == before, "a refused list changed the stored values");
        return 0;
    }
    target.SetUnits(unit);
    for (int i = 0; i < target.ValueCount(); ++i) {
        const Extended shown = target.FromNative(target.RawValue(i), i % 2 == 1);
        (void)target.ToNative(shown, i % 2 == 1);
    }
    TMemoryStream out;
    target.WriteValues(out);
    out.SetPosition(0);
    target.ReadValues(out);
    target.SetUnits(TQRUnit::MM);
    return 0;
}

// String lists read from comma text and from line text: no crash, and what
// a list writes reads back as the same list.
#include "Classes.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = FuzzText(data, size);
    TStringList list;
    list.SetCommaText(text);
    TStringList again;
    again.SetCommaText(list.CommaText());
    FUZZ_CHECK(again.Equals(list), "comma text %s read back as %s", qPrintable(list.CommaText()),
               qPrintable(again.CommaText()));

    list.SetText(text);
    again.SetText(list.Text());
    FUZZ_CHECK(again.Equals(list), "lines of %s read back differently", qPrintable(text));
    for (Integer i = 0; i < list.Count(); ++i) {
        FUZZ_CHECK(!list[i].contains(u'\r') && !list[i].contains(u'\n'), "line %d keeps a line break", i);
    }
    return 0;
}

// Searching the text of a report page, and finding the data sets that
// report expressions may name.
#pragma once

#include "Classes.h"

class TMetafile;

// Whether a text record of the page holds Text. Wide and 8-bit (CP932)
// text records are compared as Unicode text; without MatchCase both
// sides are case folded by Unicode rules. A search started while another
// runs waits for it.
bool SearchMetafileText(const QString& Text, const TMetafile& Metafile, bool MatchCase);

// Adds (name, data set) for every data set Owner owns, and for those of
// the windowed controls it owns, below them; with AllForms the data sets
// owned by every form of the screen too.
void FindDataSets(TComponent* Owner, bool AllForms, TStrings* List);

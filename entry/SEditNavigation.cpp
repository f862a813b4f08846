// The navigation-map builders: neighbour links derived from where the
// boxes stand on the screen, within a container and between containers.
#include "SEdit.h"

#include "Forms.h"
#include "StdCtrls.h"

#include <algorithm>
#include <vector>

namespace {

struct Place {
    Integer x = 0;
    Integer y = 0;
    TWinControl* box = nullptr;
};

// Towards zero, to a multiple of 4: boxes a few pixels apart share a row.
Integer RoundTo4(Integer v) {
    return v / 4 * 4;
}

bool IsMapped(TComponent* c) {
    return dynamic_cast<TSEdit*>(c) || dynamic_cast<TSComboBox*>(c);
}

TCustomMemo* TraceMemo(TComponent* scope) {
    return dynamic_cast<TCustomMemo*>(scope->FindComponent(QStringLiteral("MemLog")));
}

// The first label of scope whose screen rectangle (edges included) holds p.
TLabel* LabelAt(TComponent* scope, TPoint p) {
    for (Integer i = 0; i < scope->ComponentCount(); ++i) {
        auto* label = dynamic_cast<TLabel*>(scope->Components(i));
        if (!label || !label->Parent()) continue;
        const TPoint o = label->ClientToScreen(TPoint(0, 0));
        if (p.X >= o.X && p.X <= o.X + label->Width() && p.Y >= o.Y && p.Y <= o.Y + label->Height()) return label;
    }
    return nullptr;
}

void TraceBox(TCustomMemo* memo, TComponent* scope, TWinControl* box, Integer dx, Integer dy) {
    const auto* edit = dynamic_cast<const TCEdit*>(box);
    const QString text = Trim(edit ? edit->FieldName() : box->Text());
    if (!memo || text.isEmpty()) return;
    const TPoint o = box->ClientToScreen(TPoint(0, 0));
    if (TLabel* label = LabelAt(scope, TPoint(o.X - dx, o.Y + dy)))
        memo->Lines()->Add(ToHalfWidth(text) + QLatin1Char('=') + label->Name());
}

std::vector<Place> PlacesIn(TWinControl* container, TComponent* scope) {
    std::vector<Place> places;
    for (Integer i = 0; i < scope->ComponentCount(); ++i) {
        auto* c = dynamic_cast<TWinControl*>(scope->Components(i));
        if (!c || !IsMapped(c) || !IsVisibleEnabledChain(c, false)) continue;
        if (!IsInsideContainer(c, container) && scope != container) continue;
        const TPoint p = container->ScreenToClient(c->ClientToScreen(TPoint(0, 0)));
        places.push_back({RoundTo4(p.X), RoundTo4(p.Y + c->Height() / 2), c});
    }
    std::stable_sort(places.begin(), places.end(),
                     [](const Place& a, const Place& b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
    return places;
}

}  // namespace

TWinControl* BuildNavigationMap(TWinControl* Container, Integer DX, Integer DY) {
    if (!Container) return nullptr;
    TComponent* scope = dynamic_cast<TCustomForm*>(Container) ? Container : Container->Owner();
    if (!scope) return nullptr;
    TCustomMemo* memo = TraceMemo(scope);
    const std::vector<Place> places = PlacesIn(Container, scope);
    const size_t n = places.size();
    if (n == 0) return nullptr;
    for (size_t k = 0; k < n; ++k) {
        TEntryBox::Of(places[k].box)->SetmvRight(places[(k + 1) % n].box);
        TraceBox(memo, scope, places[k].box, DX, DY);
    }
    for (size_t k = n; k-- > 0;) TEntryBox::Of(places[k].box)->SetmvLeft(places[(k + n - 1) % n].box);
    // The first box of each row (the smallest x comes first).
    std::vector<size_t> rowStarts;
    for (size_t k = 0; k < n; ++k) {
        if (k == 0 || places[k].y != places[k - 1].y) rowStarts.push_back(k);
    }
    const size_t rows = rowStarts.size();
    for (size_t r = 0; r < rows; ++r) {
        const size_t end = r + 1 < rows ? rowStarts[r + 1] : n;
        TWinControl* below = places[rowStarts[(r + 1) % rows]].box;
        TWinControl* above = places[rowStarts[(r + rows - 1) % rows]].box;
        for (size_t k = rowStarts[r]; k < end; ++k) {
            TEntryBox::Of(places[k].box)->SetmvDown(below);
            TEntryBox::Of(places[k].box)->SetmvUp(above);
        }
    }
    return places.back().box;
}

namespace {

// The boxes of one group that the links between groups use.
struct GroupEnds {
    TWinControl* leftTop = nullptr;
    TWinControl* rightTop = nullptr;
    TWinControl* leftBottom = nullptr;
    TWinControl* rightBottom = nullptr;
    std::vector<TWinControl*> topRow;     // from the left
    std::vector<TWinControl*> bottomRow;  // from the right
};

// Walks a row from start by step while the boxes share the row's vertical
// link; the walk ends where the row ends or comes back round.
std::vector<TWinControl*> WalkRow(TWinControl* start, TWinControl* (TEntryBox::*step)() const,
                                  TWinControl* (TEntryBox::*vertical)() const, Integer limit) {
    std::vector<TWinControl*> row{start};
    TWinControl* target = (TEntryBox::Of(start)->*vertical)();
    TWinControl* x = (TEntryBox::Of(start)->*step)();
    while (x && x != start && Integer(row.size()) < limit) {
        TEntryBox* box = TEntryBox::Of(x);
        TWinControl* next = (box->*step)();
        if (!next || next == x || !target || (box->*vertical)() != target) break;
        row.push_back(x);
        x = next;
    }
    return row;
}

GroupEnds EndsOf(TWinControl* last, Integer limit) {
    GroupEnds g;
    g.rightBottom = last;
    g.bottomRow = WalkRow(last, &TEntryBox::mvLeft, &TEntryBox::mvDown, limit);
    g.leftBottom = g.bottomRow.back();
    TWinControl* first = TEntryBox::Of(last)->mvRight();
    if (first) {
        g.leftTop = first;
        g.topRow = WalkRow(first, &TEntryBox::mvRight, &TEntryBox::mvUp, limit);
        g.rightTop = g.topRow.back();
    }
    return g;
}

QStringList GroupNames(const TStrings* groups) {
    QString text = Trim(groups->Text());
    text.remove(u'\r');
    return text.isEmpty() ? QStringList() : text.split(u'\n');
}

}  // namespace

TWinControl* BuildGroupNavigationMap(const TStrings* Groups, TComponent* Form, Integer, Integer) {
    if (!Form || !Groups) return nullptr;
    TCustomMemo* memo = TraceMemo(Form);
    const QStringList names = GroupNames(Groups);
    std::vector<GroupEnds> groups(size_t(names.size()));
    TWinControl* result = nullptr;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (memo) memo->Lines()->Add(QLatin1Char('[') + names[i] + QLatin1Char(']'));
        auto* container = dynamic_cast<TWinControl*>(Form->FindComponent(names[i]));
        if (TWinControl* last = container ? BuildNavigationMap(container, 8, 8) : nullptr) {
            groups[size_t(i)] = EndsOf(last, Form->ComponentCount());
            if (i == 0) result = groups[0].leftTop;
        }
        if (memo) memo->Lines()->Add(QString());
    }
    const size_t n = groups.size();
    for (size_t j = 0; j < n; ++j) {
        const GroupEnds& g = groups[j];
        const GroupEnds& previous = groups[(j + n - 1) % n];
        const GroupEnds& next = groups[(j + 1) % n];
        if (g.leftTop && previous.rightBottom) TEntryBox::Of(g.leftTop)->SetmvLeft(previous.rightBottom);
        if (previous.leftBottom) {
            for (TWinControl* box : g.topRow) TEntryBox::Of(box)->SetmvUp(previous.leftBottom);
        }
        if (g.rightBottom && next.leftTop) TEntryBox::Of(g.rightBottom)->SetmvRight(next.leftTop);
        if (next.leftTop) {
            for (TWinControl* box : g.bottomRow) TEntryBox::Of(box)->SetmvDown(next.leftTop);
        }
    }
    return result;
}

// Layout (client 714 x 339, single border): four rows, one per angle (0,
// 90, 180, 270 degrees), of nine labels 74 x 78 on a 78 x 82 pitch from
// (6, 6); along a row the alignment runs left, centre, right within each
// of the layouts top, centre, bottom. The caption "回転ラベル" in a 13-pixel
// font is 65 pixels long, so it fits the label whichever way it turns.
#include "UnVLabel.h"

#include "FormBuild.h"
#include "UnGridTest.h"
#include "ZvStdCtrls.h"

TFrmZvVLabel* FrmZvVLabel = nullptr;

namespace {

constexpr Integer kPerAngle = 9;
// A pale face per angle, so that each label's box shows.
const TColor kFaces[] = {TColor(0x00F0E0D0), TColor(0x00D0F0E0), TColor(0x00E0D0F0), TColor(0x00D0E8F8)};

}  // namespace

TFrmZvVLabel::TFrmZvVLabel(TComponent* AOwner) : TForm(AOwner) {
    BeginLoading();
    buildForm();
    EndLoading();
}

void TFrmZvVLabel::buildForm() {
    SetName(QStringLiteral("FrmZvVLabel"));
    SetCaption(QStringLiteral("FrmZvVLabel"));
    SetBorderStyle(bsSingle);
    SetClientSize(714, 339);
    SetPosition(poScreenCenter);
    Font()->SetName(QStringLiteral("ＭＳ Ｐゴシック"));
    Font()->SetHeight(-13);
    OnShow = [this](TObject* s) { FormShow(s); };
    OnClick = [this](TObject* s) { FormClick(s); };

    const TAlignment alignments[] = {taLeftJustify, taCenter, taRightJustify};
    const TTextLayout layouts[] = {tlTop, tlCenter, tlBottom};
    for (Integer n = 0; n < 4 * kPerAngle; ++n) {
        const Integer angle = n / kPerAngle;
        const Integer i = n % kPerAngle;
        auto* label = MakeControl<TZvVLabel>(this, this, QStringLiteral("ZvVLabel%1").arg(n + 1),
                                             Bounds(6 + 78 * i, 6 + 82 * angle, 74, 78));
        label->SetAutoSize(false);
        label->SetTransparent(false);
        label->SetColor(kFaces[angle]);
        label->SetAngle(TVLabelAngle(angle));
        label->SetAlignment(alignments[i % 3]);
        label->SetLayout(layouts[i / 3]);
        label->SetCaption(QStringLiteral("回転ラベル"));
        label->SetTag(1);
        Labels.push_back(label);
    }
}

void TFrmZvVLabel::FormShow(TObject*) { ClearSlip(this); }

void TFrmZvVLabel::FormClick(TObject*) { Close(); }

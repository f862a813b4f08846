// Layout (client 600 x 191, single border): five rows of four labels 140 x
// 32 on a 148 x 37 pitch from (6, 4). The first two columns spread the
// characters evenly, the last two draw the text as it runs; the rows carry
// the shadow at the left top, right top, left bottom, right bottom, and
// none in the last row.
#include "UnAVLabel.h"

#include "FormBuild.h"
#include "UnGridTest.h"
#include "ZvStdCtrls.h"

TFrmZvAVLabel* FrmZvAVLabel = nullptr;

TFrmZvAVLabel::TFrmZvAVLabel(TComponent* AOwner) : TForm(AOwner) {
    BeginLoading();
    buildForm();
    EndLoading();
}

void TFrmZvAVLabel::buildForm() {
    SetName(QStringLiteral("FrmZvAVLabel"));
    SetCaption(QStringLiteral("FrmZvAVLabel"));
    SetBorderStyle(bsSingle);
    SetClientSize(600, 191);
    SetPosition(poScreenCenter);
    Font()->SetName(QStringLiteral("ＭＳ Ｐゴシック"));
    Font()->SetHeight(-13);
    OnShow = [this](TObject* s) { FormShow(s); };
    OnClick = [this](TObject* s) { FormClick(s); };

    const TShadowType shadows[] = {TShadowType::stLeftTop, TShadowType::stRightTop, TShadowType::stLeftBottom,
                                   TShadowType::stRightBottom, TShadowType::stNone};
    const TAlignment alignments[] = {taLeftJustify, taCenter, taCenter, taRightJustify};
    for (Integer n = 0; n < 20; ++n) {
        const Integer row = n / 4;
        const Integer col = n % 4;
        auto* label = MakeControl<TZvAVLabel>(this, this, QStringLiteral("ZvAVLabel%1").arg(n + 1),
                                              Bounds(6 + 148 * col, 4 + 37 * row, 140, 32));
        label->SetAutoSize(false);
        label->SetTransparent(false);
        label->SetColor(TColor(0x00E8E8E8));
        label->Font()->SetHeight(-18);
        label->Font()->SetColor(clNavy);
        label->SetAlignment(alignments[col]);
        label->SetLayout(tlCenter);
        label->SetAVPitch(col < 2);
        label->SetShadowType(shadows[row]);
        label->SetShadowColor(clGray);
        label->SetShadowWidth(2);
        label->SetCaption(QStringLiteral("均等ﾗﾍﾞﾙ"));
        label->SetTag(1);
        Labels.push_back(label);
    }
}

void TFrmZvAVLabel::FormShow(TObject*) { ClearSlip(this); }

void TFrmZvAVLabel::FormClick(TObject*) { Close(); }

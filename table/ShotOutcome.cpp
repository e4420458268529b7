// The outcome of a shot written over the table, "Goal!" or "Saved!", in the lettering of
// the about screen's caption, fading out on its own. The fade runs from the event loop, so
// the game goes on beneath it, and stops once the caption is gone.

#include "app/Main.h"

#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>

#include <cmath>

namespace {

constexpr int CaptionWidth = 200; // in the table's own pixels
constexpr int CaptionHeight = 64;

// Light bold italic lettering, warm white as the about screen's caption, on a dark edge
// so that it reads over cards as well as over the cloth.
QImage CaptionPicture(const QString& Text, qreal Ratio)
{
    QImage image(int(std::ceil(CaptionWidth * Ratio)), int(std::ceil(CaptionHeight * Ratio)),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(Ratio, Ratio);
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setItalic(true);
    font.setBold(true);
    font.setPixelSize(40);
    font.setHintingPreference(QFont::PreferNoHinting);
    QPainterPath text;
    text.addText(0, 0, font, Text);
    const QRectF box = text.boundingRect();
    text.translate(CaptionWidth / 2.0 - box.center().x(), CaptionHeight / 2.0 - box.center().y());
    painter.setPen(QPen(QColor(25, 25, 25), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(text);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xff, 0xf6, 0xc8));
    painter.drawPath(text);
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

void TMainForm::ShowShotOutcome(bool Goal)
{
    if (!FAnnounceShots || FGameTableImage == nullptr)
        return;
    const QString text = Goal ? QStringLiteral("Goal!") : QStringLiteral("Saved!");
    TBitmap32 picture(CaptionPicture(text, 1));
    picture.SetRenderer([text](qreal Ratio) { return CaptionPicture(text, Ratio); });
    if (FShotLayer == nullptr) {
        FShotLayer = AddOverlayLayer(picture);
        const float left = float(FGameTableImage->LogicalWidth() - CaptionWidth) / 2;
        const float top = float(FGameTableImage->LogicalHeight() - CaptionHeight) / 2;
        FShotLayer->SetLocation({left, top, left + CaptionWidth, top + CaptionHeight});
        FShotFade = new QVariantAnimation(this);
        FShotFade->setStartValue(255);
        FShotFade->setEndValue(0);
        FShotFade->setDuration(ShotOutcomeMs);
        // Clear for most of the time, then gone quickly.
        FShotFade->setEasingCurve(QEasingCurve::InQuad);
        connect(FShotFade, &QVariantAnimation::valueChanged, this, [this](const QVariant& Alpha) {
            // Kept above the card that flies on after the shot.
            FShotLayer->BringToFront();
            FShotLayer->Bitmap().SetMasterAlpha(uint8_t(Alpha.toInt()));
        });
        connect(FShotFade, &QVariantAnimation::finished, this,
                [this] { FShotLayer->Bitmap().SetMasterAlpha(0); });
    } else {
        FShotLayer->Bitmap().Assign(picture);
        FShotLayer->Bitmap().SetDrawMode(dmBlend);
    }
    FShotFade->stop();
    FShotLayer->BringToFront();
    FShotLayer->Bitmap().SetMasterAlpha(255);
    FShotFade->start();
}

void TMainForm::EndShotOutcome()
{
    if (FShotLayer == nullptr)
        return;
    FShotFade->stop();
    FShotLayer->Bitmap().SetMasterAlpha(0);
}

bool TMainForm::ShotOutcomeShown() const
{
    // Its last steps may round to nothing before the fade has ended.
    return FShotLayer != nullptr &&
           (FShotLayer->Bitmap().Shows() || FShotFade->state() == QAbstractAnimation::Running);
}

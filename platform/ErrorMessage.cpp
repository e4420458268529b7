#include "platform/ErrorMessage.h"
#include "platform/WindowSystem.h"

#include <QMessageBox>

void ShowErrorMessage(QWidget* Parent, const QString& Text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Brindletop"), Text, QMessageBox::Ok,
                    Parent, DialogFrameFlags());
    // A path or a system message may contain "<": show it as it is, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

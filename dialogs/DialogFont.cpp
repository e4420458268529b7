#include "dialogs/DialogFont.h"

#include <QStringList>

QFont DialogFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans")});
    font.setPointSize(8);
    return font;
}

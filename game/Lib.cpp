#include "game/Lib.h"

#include <QRandomGenerator>

QRandomGenerator& GameRandom()
{
    static QRandomGenerator generator(1u);
    return generator;
}

void SeedRandom(quint32 seed)
{
    GameRandom().seed(seed);
}

int RandomInt(int n)
{
    return n <= 0 ? 0 : int(GameRandom().bounded(quint32(n)));
}

double RandomReal()
{
    return GameRandom().generateDouble();
}

QString OrdinalWord(unsigned N)
{
    static const char* const words[] = {"first", "second", "third", "fourth", "fifth", "sixth"};
    if (N >= 1 && N <= 6)
        return QString::fromLatin1(words[N - 1]);
    return QStringLiteral("error");
}

#pragma once

#include "notation/CodePage936.h"

#include <optional>

// Code page 936 through Windows' own converter, for a Qt built without ICU
// (the default for Windows).
class WindowsCodePage936 : public CodePage936
{
public:
    QString name() const override;
    bool isValid() const override;
    QByteArray encodeCharacter(QStringView character) override;
    QString decode(QByteArrayView bytes, bool *valid = nullptr) override;

private:
    static std::optional<QString> decodedStrictly(QByteArrayView bytes);
    static QChar decodedByte(char byte);
};

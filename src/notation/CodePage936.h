#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <memory>

// Code page 936 (GBK), the code page of the kit's printers, through a
// converter the platform provides: Qt's own where Qt knows "GBK" (through
// ICU), otherwise the system's (Windows). A Qt for Windows is built without
// ICU by default, and its GBK converter then does not exist at all. The
// choice is made once, at first use, and every conversion of the program
// goes through it.
class CodePage936
{
public:
    virtual ~CodePage936() = default;

    static CodePage936 &converter();

    // Which converter is in use, for the user.
    virtual QString name() const = 0;
    // Whether it converts at all: false only on a platform with neither
    // converter, where every character outside ASCII becomes "?".
    virtual bool isValid() const = 0;
    // The bytes of one character (one UTF-16 unit, or a surrogate pair), or
    // nothing when the code page lacks it.
    virtual QByteArray encodeCharacter(QStringView character) = 0;
    // The text of bytes, each invalid or cut-off sequence replaced or left
    // out. *valid tells whether there was none.
    virtual QString decode(QByteArrayView bytes, bool *valid = nullptr) = 0;

protected:
    CodePage936() = default;

private:
    // The platform's own converter, for a Qt that has none; null where the
    // platform has none either.
    static std::unique_ptr<CodePage936> systemConverter();
};

#pragma once

#include "notation/CodePage936.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <optional>

// Code page 936 through Qt's "GBK" converter, which exists where Qt was built
// with ICU (every Linux distribution's Qt).
class QtGbkConverter : public CodePage936
{
public:
    QtGbkConverter();

    QString name() const override;
    bool isValid() const override;
    QByteArray encodeCharacter(QStringView character) override;
    QString decode(QByteArrayView bytes, bool *valid = nullptr) override;

private:
    std::optional<QStringEncoder> m_encoder;
    std::optional<QStringDecoder> m_decoder;
};

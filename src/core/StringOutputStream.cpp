#include "core/StringOutputStream.h"

#include <algorithm>

namespace {
constexpr int DefaultMaxLength = 1024;
}

StringOutputStream::StringOutputStream() : StringOutputStream(DefaultMaxLength) {}

StringOutputStream::StringOutputStream(int maxLength)
    : m_buffer(static_cast<size_t>(std::max(maxLength, 1)) + 1), m_maxLength(std::max(maxLength, 1))
{}

StringOutputStream StringOutputStream::stringOutputStream()
{
    return StringOutputStream();
}

StringOutputStream StringOutputStream::stringOutputStreamWithMaxLength(int maxLength)
{
    return StringOutputStream(maxLength);
}

void StringOutputStream::putString(QStringView string)
{
    flushBufferToString();
    m_stringData.append(string);
}

void StringOutputStream::putNewLineCode()
{
    switch (m_newLineCode) {
    case 1:
        putChar(u'\r');
        putChar(u'\n');
        break;
    case 2:
        putChar(u'\n');
        break;
    default:
        putChar(u'\r');
        break;
    }
}

void StringOutputStream::flushBufferToString()
{
    if (m_index < 1)
        return;
    m_stringData.append(reinterpret_cast<const QChar *>(m_buffer.data()), m_index);
    m_index = 0;
}

QString StringOutputStream::stringValue()
{
    flushBufferToString();
    return m_stringData;
}

void StringOutputStream::clearAll()
{
    m_stringData.clear();
    m_index = 0;
}

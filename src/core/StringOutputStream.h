#pragma once

#include <QChar>
#include <QString>
#include <QStringView>

#include <vector>

// A string builder: single characters collect in a fixed buffer that is
// appended to the growing result once it is full (or before a whole string is
// appended, or when the result is asked for). A value owned by its writer; not
// shared between threads.
class StringOutputStream
{
public:
    StringOutputStream();
    explicit StringOutputStream(int maxLength);
    static StringOutputStream stringOutputStream();
    static StringOutputStream stringOutputStreamWithMaxLength(int maxLength);

    void putChar(QChar c)
    {
        m_buffer[static_cast<size_t>(m_index++)] = c.unicode();
        if (m_index >= m_maxLength)
            flushBufferToString();
    }
    void putString(QStringView string);
    // Writes the line break chosen by newLineCode: 0 CR, 1 CR LF, 2 LF,
    // anything else CR.
    void putNewLineCode();
    int newLineCode() const { return m_newLineCode; }
    void setNewLineCode(int code) { m_newLineCode = code; }

    void flushBufferToString();
    qsizetype length() const { return m_index + m_stringData.size(); }
    // Everything written so far; the stream keeps its text and stays usable.
    QString stringValue();
    void clearAll();

private:
    std::vector<char16_t> m_buffer;
    int m_maxLength;
    int m_index = 0;
    int m_newLineCode = 0;
    QString m_stringData;
};

#include "StatementRecorder.h"
#include <cstdint>
#include <stdexcept>

namespace bench {

namespace {
std::FILE* openFile(const QString& path, const char* mode) {
    std::FILE* f = std::fopen(path.toLocal8Bit().constData(), mode);
    if (!f)
        throw std::runtime_error(("cannot open " + path).toStdString());
    return f;
}
}

StatementRecorder::StatementRecorder(const QString& path) : m_file(openFile(path, "wb")) {}

StatementRecorder::~StatementRecorder() { close(); }

void StatementRecorder::close() {
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
}

void StatementRecorder::sending(const QString& sql) {
    if (!sql.startsWith(QLatin1String("INSERT"))) {
        if (sql.startsWith(QLatin1String("CREATE")))
            m_create = sql;
        return;
    }
    const std::uint32_t length = std::uint32_t(sql.size());
    std::fwrite(&length, sizeof length, 1, m_file);
    std::fwrite(sql.utf16(), sizeof(char16_t), length, m_file);
    ++m_inserts;
    m_insertBytes += qint64(length) * 2;
}

RecordedInserts::RecordedInserts(const QString& path) : m_file(openFile(path, "rb")) {}

RecordedInserts::~RecordedInserts() { std::fclose(m_file); }

bool RecordedInserts::next(const char16_t*& text, int& length) {
    std::uint32_t n = 0;
    if (std::fread(&n, sizeof n, 1, m_file) != 1)
        return false;
    m_buffer.resize(n);
    if (std::fread(m_buffer.data(), sizeof(char16_t), n, m_file) != n)
        throw std::runtime_error("the recorded statements end early");
    text = m_buffer.data();
    length = int(n);
    return true;
}

}

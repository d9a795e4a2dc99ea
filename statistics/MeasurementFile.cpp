#include "MeasurementFile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QSaveFile>

namespace {

const QString kDataKey = QStringLiteral("data");

} // namespace

MeasurementFile::MeasurementFile(QString path) : m_path(std::move(path))
{
}

MeasurementFile::ReadResult MeasurementFile::read() const
{
    ReadResult result;
    QFile file(m_path);
    if (!file.exists()) {
        result.status = ReadStatus::Missing;
        return result;
    }
    const QFileInfo info(m_path);
    result.readable = info.isReadable();
    result.writable = info.isWritable();
    // A directory opens on some platforms but never holds a history. Binary mode: the parser
    // takes any line ends, and text mode would scan every byte for them.
    if (info.isDir() || !file.open(QIODevice::ReadOnly)) {
        result.status = ReadStatus::Unreadable;
        result.error = info.isDir() ? QStringLiteral("is a directory") : file.errorString();
        return result;
    }
    result.content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.status = ReadStatus::Unreadable;
        result.error = file.errorString();
        result.content.clear();
        return result;
    }
    result.status = ReadStatus::Read;
    return result;
}

void MeasurementFile::reset(const QJsonObject& root)
{
    m_text = serialize(root);
    locateDataEnd();
}

void MeasurementFile::adopt(const ParseResult& parsed)
{
    m_text = parsed.text;
    // A file without "data" or with a layout the scan does not follow is written anew.
    if (!locateDataEnd()) {
        reset(parsed.root);
    }
}

void MeasurementFile::append(const QJsonObject& root, const QJsonObject& element)
{
    if (m_insertAt < 0) {
        reset(root);
        return;
    }
    // The writer's own rendering of the element at the depth of the "data" array.
    const QByteArray single = serialize(QJsonObject{{kDataKey, QJsonArray{element}}});
    const QByteArray prefix = "{\n    \"data\": [\n";
    const QByteArray suffix = "\n    ]\n}\n";
    if (!single.startsWith(prefix) || !single.endsWith(suffix)) {
        reset(root);
        return;
    }
    QByteArray piece = m_dataEmpty ? QByteArray("\n") : QByteArray(",\n");
    piece += single.mid(prefix.size(), single.size() - prefix.size() - suffix.size());
    m_text.insert(m_insertAt, piece);
    m_insertAt += piece.size();
    m_dataEmpty = false;
}

MeasurementFile::WriteResult MeasurementFile::write() const
{
    WriteResult result;
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        result.status = WriteStatus::OpenFailed;
        result.error = file.errorString();
        return result;
    }
    file.write(m_text);
    file.flush();
    if (m_beforeCommit) {
        m_beforeCommit(file);
    }
    // commit() renames only when every byte reached the temporary file; otherwise it removes
    // the temporary file and the previous history stays as it was.
    if (!file.commit()) {
        result.status = WriteStatus::WriteFailed;
        result.error = file.errorString();
    }
    return result;
}

QString MeasurementFile::setAside() const
{
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    const QString base = m_path + QStringLiteral(".corrupt-") + stamp;
    QString target = base;
    for (int n = 1; QFileInfo::exists(target); ++n) {
        target = base + QLatin1Char('-') + QString::number(n);
    }
    return QFile::rename(m_path, target) ? target : QString();
}

QJsonObject MeasurementFile::emptyHistory()
{
    QJsonObject root;
    root.insert(kDataKey, QJsonArray());
    return root;
}

MeasurementFile::ParseResult MeasurementFile::parse(const QByteArray& content)
{
    ParseResult result;
    result.root = emptyHistory();
    QByteArray text = content;
    // Editors on Windows like to prepend a byte-order mark, which the JSON parser rejects.
    if (text.startsWith("\xEF\xBB\xBF")) {
        text.remove(0, 3);
    }
    // Outside strings a carriage return is only white space, and inside them it is escaped; the
    // kept text must not have it, or text-mode writing would double it.
    if (text.contains('\r')) {
        text.replace("\r", "");
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError) {
        result.problem = QStringLiteral("not valid JSON: %1 at offset %2")
                             .arg(error.errorString())
                             .arg(error.offset);
        return result;
    }
    if (!document.isObject()) {
        result.problem = QStringLiteral("the top level is not an object");
        return result;
    }
    result.root = document.object();
    const QJsonValue data = result.root.value(kDataKey);
    if (!data.isUndefined() && !data.isArray()) {
        result.problem = QStringLiteral("\"data\" is not an array");
        // The other keys are sound and travel on; the damaged copy keeps the rest.
        result.root.insert(kDataKey, QJsonArray());
        return result;
    }
    if (data.isUndefined()) {
        result.root.insert(kDataKey, QJsonArray());
    }
    result.usable = true;
    result.text = std::move(text);
    return result;
}

QByteArray MeasurementFile::serialize(const QJsonObject& root)
{
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\n' || c == '\t' || c == '\r';
}

// Index just after the string that starts at i (a quote); sets hasEscape when it holds one.
int skipString(const char* text, int size, int i, bool* hasEscape)
{
    for (++i; i < size; ++i) {
        if (text[i] == '\\') {
            *hasEscape = true;
            ++i;
        } else if (text[i] == '"') {
            return i + 1;
        }
    }
    return -1;
}

// Index just after the value that starts at i; the text is known to be valid JSON.
int skipValue(const char* text, int size, int i)
{
    bool escape = false;
    if (text[i] == '"') {
        return skipString(text, size, i, &escape);
    }
    if (text[i] != '{' && text[i] != '[') {
        while (i < size && !isSpace(text[i]) && text[i] != ',' && text[i] != '}' &&
               text[i] != ']') {
            ++i;
        }
        return i;
    }
    int depth = 0;
    while (i < size) {
        const char c = text[i];
        if (c == '"') {
            i = skipString(text, size, i, &escape);
            if (i < 0) {
                return -1;
            }
            continue;
        }
        if (c == '{' || c == '[') {
            ++depth;
        } else if (c == '}' || c == ']') {
            if (--depth == 0) {
                return i + 1;
            }
        }
        ++i;
    }
    return -1;
}

} // namespace

bool MeasurementFile::locateDataEnd()
{
    m_insertAt = -1;
    const char* text = m_text.constData();
    const int size = m_text.size();
    int i = 0;
    auto skipSpace = [&] {
        while (i < size && isSpace(text[i])) {
            ++i;
        }
    };
    skipSpace();
    if (i >= size || text[i] != '{') {
        return false;
    }
    ++i;
    int insertAt = -1;
    bool empty = true;
    for (;;) {
        skipSpace();
        if (i >= size || text[i] != '"') {
            return false;
        }
        bool escaped = false;
        const int keyEnd = skipString(text, size, i, &escaped);
        if (keyEnd < 0 || escaped) {
            return false; // a key spelt with escapes might be "data" in disguise
        }
        const bool isData = QByteArray::fromRawData(text + i + 1, keyEnd - i - 2) == "data";
        i = keyEnd;
        skipSpace();
        if (i >= size || text[i] != ':') {
            return false;
        }
        ++i;
        skipSpace();
        if (i >= size) {
            return false;
        }
        const int valueStart = i;
        i = skipValue(text, size, i);
        if (i < 0) {
            return false;
        }
        if (isData) {
            // A repeated key leaves it unclear which array the parser kept.
            if (insertAt >= 0 || text[valueStart] != '[') {
                return false;
            }
            int last = i - 2; // before the closing bracket
            while (last > valueStart && isSpace(text[last])) {
                --last;
            }
            insertAt = last + 1;
            empty = last == valueStart;
        }
        skipSpace();
        if (i < size && text[i] == ',') {
            ++i;
            continue;
        }
        if (i < size && text[i] == '}') {
            break;
        }
        return false;
    }
    if (insertAt < 0) {
        return false;
    }
    m_insertAt = insertAt;
    m_dataEmpty = empty;
    return true;
}

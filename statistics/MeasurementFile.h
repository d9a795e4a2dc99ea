#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <functional>

class QSaveFile;

// The history file on disk. Reads it, sets damaged copies aside, and replaces it atomically, so
// that an interrupted or failed write always leaves the previous complete file in place.
//
// It keeps the text of the current document as it goes to disk. Adding a measurement splices
// the new element into that text instead of serializing years of history again.
class MeasurementFile
{
public:
    enum class ReadStatus
    {
        Missing,
        Unreadable,
        Read
    };
    struct ReadResult
    {
        ReadStatus status = ReadStatus::Missing;
        QByteArray content;
        bool readable = false;
        bool writable = false;
        QString error;
    };

    // What the parser made of the content. A root that is not usable must not be written over
    // the file it came from.
    struct ParseResult
    {
        QJsonObject root;
        bool usable = false;
        QString problem;
        QByteArray text; // the content without byte-order mark and carriage returns
    };

    enum class WriteStatus
    {
        Written,
        OpenFailed,
        WriteFailed
    };
    struct WriteResult
    {
        WriteStatus status = WriteStatus::Written;
        QString error;
        bool ok() const { return status == WriteStatus::Written; }
    };

    // Called after the temporary file holds the whole text and before it replaces the file.
    using BeforeCommitHook = std::function<void(QSaveFile&)>;

    explicit MeasurementFile(QString path);

    const QString& path() const { return m_path; }
    // The text the next write() puts on disk.
    const QByteArray& text() const { return m_text; }

    ReadResult read() const;

    // The document becomes root, serialized as a whole.
    void reset(const QJsonObject& root);
    // The document becomes the usable parse result, whose text is kept as it was read.
    void adopt(const ParseResult& parsed);
    // root is the document with element already appended to its "data" array.
    void append(const QJsonObject& root, const QJsonObject& element);

    WriteResult write() const;

    // Moves the file to "<path>.corrupt-<UTC time>"; returns the new path, empty on failure.
    QString setAside() const;

    // Lets tests stop a write where a crash or a full disk would.
    void setBeforeCommitHook(BeforeCommitHook hook) { m_beforeCommit = std::move(hook); }

    static QJsonObject emptyHistory();
    static ParseResult parse(const QByteArray& content);
    static QByteArray serialize(const QJsonObject& root);

private:
    // Finds where a new element goes into the "data" array of m_text.
    bool locateDataEnd();

    QString m_path;
    BeforeCommitHook m_beforeCommit;
    QByteArray m_text;
    int m_insertAt = -1; // just after the last element of "data" (or its "["); -1 when unknown
    bool m_dataEmpty = true;
};

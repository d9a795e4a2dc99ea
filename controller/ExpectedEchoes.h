#pragma once

#include <QList>
#include <functional>
#include <optional>

// Values this program sent, to the panel or to the window's slider, whose report back is still
// to come. Reports come in order and may merge: a report of one value answers it and every
// value sent before it. A report of no value sent is somebody else's change, after which
// nothing sent earlier will be reported. A value not answered within the lifetime is
// forgotten, so that an echo that never comes cannot swallow a later change.
class ExpectedEchoes
{
public:
    explicit ExpectedEchoes(int lifetimeMs) : m_lifetimeMs(lifetimeMs) {}

    // position: the slider position the value stands for, which a tolerant report may match.
    void expect(int value, int position, qint64 nowMs);
    // True when the report answers a value sent (matches(value, position) of the newest one
    // that does); false, with everything forgotten, when it is somebody else's.
    bool take(const std::function<bool(int value, int position)>& matches, qint64 nowMs);
    bool take(int value, qint64 nowMs);
    // The last value sent, while its report is still to come.
    std::optional<int> latest(qint64 nowMs);
    void clear() { m_sent.clear(); }
    QList<int> pending(qint64 nowMs);

private:
    struct Sent
    {
        int value;
        int position;
        qint64 atMs;
    };
    void forgetExpired(qint64 nowMs);

    int m_lifetimeMs;
    QList<Sent> m_sent; // oldest first
};

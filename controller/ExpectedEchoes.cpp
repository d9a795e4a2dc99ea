#include "controller/ExpectedEchoes.h"

#include <cstdlib>

void ExpectedEchoes::expect(int value, int position, qint64 nowMs)
{
    forgetExpired(nowMs);
    m_sent.append({value, position, nowMs});
}

bool ExpectedEchoes::take(const std::function<bool(int, int)>& matches, qint64 nowMs)
{
    forgetExpired(nowMs);
    for (int i = m_sent.size() - 1; i >= 0; --i) {
        if (matches(m_sent.at(i).value, m_sent.at(i).position)) {
            m_sent.erase(m_sent.begin(), m_sent.begin() + i + 1);
            return true;
        }
    }
    m_sent.clear();
    return false;
}

bool ExpectedEchoes::take(int value, qint64 nowMs)
{
    return take([value](int sent, int) { return sent == value; }, nowMs);
}

std::optional<int> ExpectedEchoes::latest(qint64 nowMs)
{
    forgetExpired(nowMs);
    if (m_sent.isEmpty()) {
        return std::nullopt;
    }
    return m_sent.last().value;
}

QList<int> ExpectedEchoes::pending(qint64 nowMs)
{
    forgetExpired(nowMs);
    QList<int> values;
    for (const Sent& sent : qAsConst(m_sent)) {
        values.append(sent.value);
    }
    return values;
}

void ExpectedEchoes::forgetExpired(qint64 nowMs)
{
    // Either way: a wall clock set back must not keep a value for good.
    while (!m_sent.isEmpty() && std::llabs(nowMs - m_sent.first().atMs) > m_lifetimeMs) {
        m_sent.removeFirst();
    }
}

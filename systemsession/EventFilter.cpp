#include "EventFilter.h"

namespace SystemSession {

EventFilter::EventFilter(QObject* parent) : QObject(parent)
{
}

EventFilter::~EventFilter() = default;

bool EventFilter::nativeEventFilter(const QByteArray&, void*, long*)
{
    return false;
}

} // namespace SystemSession

#include "LoggingListener.h"

#include <QDebug>

namespace SystemSession {

void LoggingListener::checkBatteryStatus()
{
    qDebug() << "LoggingListener::checkBatteryStatus(): no power source information";
}

void LoggingListener::checkPowerSaverStatus()
{
    qDebug() << "LoggingListener::checkPowerSaverStatus(): no power saver information";
}

void LoggingListener::checkDisplayTopology()
{
    qDebug() << "LoggingListener::checkDisplayTopology(): no display information";
}

void LoggingListener::enableWindowTitleCheck(bool enabled)
{
    qDebug() << "LoggingListener::enableWindowTitleCheck" << enabled;
}

void LoggingListener::enablePauseAppWindowTitleCheck(bool enabled)
{
    qDebug() << "LoggingListener::enablePauseAppWindowTitleCheck" << enabled;
}

void LoggingListener::enableProcessCheck(bool enabled)
{
    qDebug() << "LoggingListener::enableProcessCheck" << enabled;
}

void LoggingListener::setWindowTitles(QString titles)
{
    qDebug() << "LoggingListener::setWindowTitles" << titles;
}

void LoggingListener::setPauseAppWindowTitles(QString titles)
{
    qDebug() << "LoggingListener::setPauseAppWindowTitles" << titles;
}

void LoggingListener::setProcesses(QString processes)
{
    qDebug() << "LoggingListener::setProcesses" << processes;
}

void LoggingListener::checkProcessesAndWindowsTitles()
{
}

std::unique_ptr<EventFilter> createSystemListener()
{
    return std::make_unique<LoggingListener>();
}

} // namespace SystemSession

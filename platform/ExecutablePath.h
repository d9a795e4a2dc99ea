#pragma once

#include <QString>

// The running program's absolute path, readable before any application object exists.
QString currentExecutablePath();

#pragma once

#include <QString>

// What the main window calls for the update check, against the program's update definition
// (Endpoints::updateDefinitionUrl) with the release list "linux".
namespace UpdateCheck {

// At the end of the main window's initialisation and whenever the computer resumes.
void start();
// The beta box: releases marked beta are offered from the next check on.
void setBetaEnabled(bool enabled);

} // namespace UpdateCheck

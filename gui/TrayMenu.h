#pragma once

#include <QList>

class QAction;
class QMenu;
class QToolButton;

// The tray menu and the two main-page buttons that share its actions, made from the pause state
// alone, so that no sequence of pauses can leave an entry out of place.
class TrayMenu
{
public:
    struct Actions
    {
        QAction* open = nullptr;
        QAction* pauseProgram = nullptr;
        QAction* resumeProgram = nullptr;
        QAction* pauseCamera = nullptr;
        QAction* resumeCamera = nullptr;
        QAction* quit = nullptr;
    };

    // The menu's entries in their order; nullptr stands for the separator. Running: pause and
    // stop camera use; camera paused: pause and use camera; presentation mode: use winkwell, and
    // use camera while camera use is paused too.
    static QList<QAction*> entries(const Actions& actions, bool programPaused, bool cameraPaused);
    static void rebuild(QMenu* menu, const Actions& actions, bool programPaused, bool cameraPaused);
    // The presentation-mode and camera buttons show the action the menu offers; the camera
    // button has none in presentation mode while the camera is not paused.
    static void updateButtons(QToolButton* presentation, QToolButton* camera,
                              const Actions& actions, bool programPaused, bool cameraPaused);
};

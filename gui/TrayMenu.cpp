#include "gui/TrayMenu.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>

QList<QAction*> TrayMenu::entries(const Actions& actions, bool programPaused, bool cameraPaused)
{
    QList<QAction*> list{actions.open,
                         programPaused ? actions.resumeProgram : actions.pauseProgram};
    if (cameraPaused) {
        list << actions.resumeCamera;
    } else if (!programPaused) {
        list << actions.pauseCamera;
    }
    list << nullptr << actions.quit;
    return list;
}

void TrayMenu::rebuild(QMenu* menu, const Actions& actions, bool programPaused, bool cameraPaused)
{
    menu->clear();
    for (QAction* action : entries(actions, programPaused, cameraPaused)) {
        if (action) {
            menu->addAction(action);
        } else {
            menu->addSeparator();
        }
    }
}

void TrayMenu::updateButtons(QToolButton* presentation, QToolButton* camera, const Actions& actions,
                             bool programPaused, bool cameraPaused)
{
    presentation->removeAction(programPaused ? actions.pauseProgram : actions.resumeProgram);
    presentation->setDefaultAction(programPaused ? actions.resumeProgram : actions.pauseProgram);
    camera->removeAction(cameraPaused ? actions.pauseCamera : actions.resumeCamera);
    camera->setDefaultAction(cameraPaused ? actions.resumeCamera : actions.pauseCamera);
    // Presentation mode pauses the camera already; stopping it as well would do nothing.
    camera->setEnabled(cameraPaused || !programPaused);
}

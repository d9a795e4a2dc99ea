#include "EyeStateTraining.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int code = winkwell::eyestate::runTool(app.arguments().mid(1), out, err);
    out.flush();
    err.flush();
    return code;
}

#include "BlinkAnalysis.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QJsonDocument>
#include <cstdio>

// winkwell-analyze: the camera engine over a recording, as fast as the CPU allows.
int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Only warnings reach the terminal unless the engine's log lines are asked for.
    bool verbose = false;
    for (int i = 1; i < argc; ++i) {
        verbose = verbose || qstrcmp(argv[i], "--verbose") == 0;
    }
    if (!verbose) {
        BlinkAnalysis::keepOnlyWarnings();
    }
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Detects blinks in a recorded video (or an image sequence such as frames/%04d.png) with "
        "Winkwell's own engine, on the recording's own time.");
    parser.addHelpOption();
    parser.addPositionalArgument("video", "Video file or image-sequence pattern.");
    parser.addOption({"json", "Print the result as JSON."});
    parser.addOption(
        {"landmarks", "Landmark model (default: data.dat beside this program).", "file"});
    parser.addOption(
        {"eye-model", "Eye-state model (default: eyestate.yml beside this program).", "file"});
    parser.addOption(
        {"face-model", "CNN face-detection model (default: beside this program).", "file"});
    parser.addOption({"motion",
                      "How head motion is kept out of the eye flow: stabilised (the program's), "
                      "beside (median motion beside the eye corners) or none.",
                      "mode", "stabilised"});
    parser.addOption({"closure",
                      "Which cues confirm that the lids closed: learned (the program's eye-state "
                      "model), lids (the landmark lids), photometric (the iris and the white of "
                      "the eye), both (lids and photometric) or none.",
                      "cues", "learned"});
    parser.addOption({"verbose", "Keep the engine's log lines."});
    parser.process(app);
    if (parser.positionalArguments().size() != 1) {
        parser.showHelp(2);
    }

    BlinkAnalysis::Options options =
        BlinkAnalysis::optionsFor(parser.positionalArguments().first(), parser.value("landmarks"),
                                  parser.value("face-model"));
    if (parser.isSet("eye-model")) {
        options.eyeStateModelPath = parser.value("eye-model");
    }
    const QString motion = parser.value("motion");
    if (motion == QLatin1String("none")) {
        options.motionCompensation = MotionCompensation::None;
    } else if (motion == QLatin1String("beside")) {
        options.motionCompensation = MotionCompensation::BesideEyes;
    } else if (motion != QLatin1String("stabilised")) {
        std::fprintf(stderr, "winkwell-analyze: unknown --motion %s\n", qPrintable(motion));
        return 2;
    }
    const std::optional<ClosureCues> cues =
        BlinkAnalysis::closureCuesNamed(parser.value("closure"));
    if (!cues) {
        std::fprintf(stderr, "winkwell-analyze: unknown --closure %s\n",
                     qPrintable(parser.value("closure")));
        return 2;
    }
    options.closureCues = *cues;
    BlinkAnalysis analysis(options);
    if (!analysis.run()) {
        std::fprintf(stderr, "winkwell-analyze: %s\n", qPrintable(analysis.errorText()));
        return 1;
    }
    const QByteArray out = parser.isSet("json")
                               ? QJsonDocument(analysis.toJson()).toJson(QJsonDocument::Indented)
                               : analysis.toText().toUtf8();
    std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stdout);
    return 0;
}

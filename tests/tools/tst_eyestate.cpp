#include "support/SyntheticFace.h"
#include "tools/eyestate/EyeStateTraining.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

using namespace winkwell::eyestate;

// The eye-state model's file, its eye patches, and the tool that labels clips and trains it.
class TestEyeState : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    static cv::Mat noisy(cv::Mat grey, int seed)
    {
        cv::Mat noise(grey.size(), CV_16SC1);
        cv::RNG rng(static_cast<uint64>(seed));
        rng.fill(noise, cv::RNG::NORMAL, 0, 3.0);
        grey.convertTo(grey, CV_16SC1);
        cv::add(grey, noise, grey);
        grey.convertTo(grey, CV_8UC1);
        return grey;
    }

    // Patches of the synthetic face's eyes at the given closures, as two clips ("a" and "b").
    static EyeSamples syntheticSamples(const std::vector<float>& closures)
    {
        const SyntheticFace face(cv::Rect(200, 100, 240, 280));
        EyeSamples samples;
        samples.clips = QStringList{"a", "b"};
        cv::Mat patch;
        int seed = 0;
        for (int clip = 0; clip < 2; ++clip) {
            for (const float closure : closures) {
                for (int repeat = 0; repeat < 5; ++repeat) {
                    const cv::Mat grey = noisy(face.render(closure), ++seed);
                    for (int eye = 0; eye < 2; ++eye) {
                        if (!EyeStateModel::cutPatch(grey, face.eyes(), eye, patch)) {
                            return {};
                        }
                        samples.patches.push_back(patch.reshape(1, 1));
                        const cv::Matx14f info(static_cast<float>(clip), 0.f,
                                               static_cast<float>(eye), closure);
                        samples.info.push_back(cv::Mat(info));
                    }
                }
            }
        }
        return samples;
    }

    QString write(const QString& name, const QByteArray& content)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            file.write(content);
        }
        return path;
    }

private slots:
    void modelFileRejectsWhatItCannotUse_data()
    {
        const QByteArray patch =
            "%YAML:1.0\n---\npatchWidth: 48\npatchHeight: 24\npatchSpan: 1.4\n";
        const auto weights = [](int count, const char* value) {
            QByteArray text = QByteArray("weights: !!opencv-matrix\n   rows: ") +
                              QByteArray::number(count) + "\n   cols: 1\n   dt: f\n   data: [ ";
            for (int i = 0; i < count; ++i) {
                text += QByteArray(i ? ", " : "") + value;
            }
            return text + " ]\nbias: 0.5\n";
        };
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("why");
        QTest::newRow("missing") << QByteArray() << "cannot be read";
        QTest::newRow("not a model") << QByteArray("just some words\n") << "";
        QTest::newRow("another patch")
            << QByteArray("%YAML:1.0\n---\npatchWidth: 64\npatchHeight: 24\npatchSpan: 1.4\n") +
                   weights(360, "0.1")
            << "another patch";
        QTest::newRow("too few weights") << patch + weights(12, "0.1") << "has 12 weights";
        QTest::newRow("no weights") << patch << "has 0 weights";
        QTest::newRow("not numbers") << patch + weights(360, ".nan") << "not numbers";
    }

    void modelFileRejectsWhatItCannotUse()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, why);
        const QString path =
            content.isEmpty() ? m_dir.filePath("absent.yml") : write("model.yml", content);
        EyeStateModel model;
        std::string message;
        QVERIFY(!model.load(path.toStdString(), message));
        QVERIFY(!model.isLoaded());
        QVERIFY(!message.empty());
        QVERIFY2(QString::fromStdString(message).contains(why), message.c_str());
        std::vector<float> features(static_cast<std::size_t>(model.featureCount()), 0.1f);
        QVERIFY(std::isnan(model.score(features)));
    }

    // A level head and a tilted one give the same patch; the second eye is mirrored so that it
    // looks like the first.
    void patchesAreLevelAndMirrored()
    {
        const SyntheticFace face(cv::Rect(200, 100, 240, 280));
        // A mark at each eye's outer corner: the face stays mirror-symmetric, each eye is not.
        const auto marked = [&face](const cv::Mat& grey, const EyePair& eyes) {
            for (const auto& [eye, side] : {std::pair(eyes.first, -1.f), {eyes.second, 1.f}}) {
                const float reach = 0.4f * static_cast<float>(eye.roiSize) / 2.f;
                cv::circle(grey, cv::Point(cvRound(eye.x + side * reach), cvRound(eye.y)), 3,
                           cv::Scalar(20), cv::FILLED);
            }
            return grey;
        };
        const cv::Mat level = marked(face.render(0.0), face.eyes());
        cv::Mat first;
        cv::Mat second;
        QVERIFY(EyeStateModel::cutPatch(level, face.eyes(), 0, first));
        QVERIFY(EyeStateModel::cutPatch(level, face.eyes(), 1, second));
        QCOMPARE(first.size(), cv::Size(EyeStateModel::patchWidth, EyeStateModel::patchHeight));
        cv::Mat flipped;
        cv::flip(second, flipped, 1);
        const double mirrored = cv::norm(first, second, cv::NORM_L1) / first.total();
        QVERIFY2(cv::norm(first, flipped, cv::NORM_L1) / first.total() > 2 * mirrored,
                 "the second eye's patch is not mirrored");
        QVERIFY2(mirrored < 4.0, qPrintable(QString::number(mirrored)));

        const cv::Matx23d tilt = cv::getRotationMatrix2D(face.centre(), 12.0, 1.0);
        EyePair eyes = face.eyes();
        for (EyeValues* eye : {&eyes.first, &eyes.second}) {
            const cv::Vec2d moved = tilt * cv::Vec3d(eye->x, eye->y, 1);
            eye->x = static_cast<float>(moved[0]);
            eye->y = static_cast<float>(moved[1]);
        }
        cv::Mat tilted;
        cv::warpAffine(level, tilted, tilt, level.size(), cv::INTER_LINEAR, cv::BORDER_REFLECT);
        cv::Mat turned;
        QVERIFY(EyeStateModel::cutPatch(tilted, eyes, 0, turned));
        const double difference = cv::norm(first, turned, cv::NORM_L1) / first.total();
        QVERIFY2(difference < 6.0, qPrintable(QString::number(difference)));

        EyePair off = face.eyes();
        off.first.x = -5.f;
        QVERIFY(!EyeStateModel::cutPatch(level, off, 0, turned));
        off = face.eyes();
        off.first.roiSize = 10;
        QVERIFY(!EyeStateModel::cutPatch(level, off, 0, turned));
    }

    // Shut frames are samples, open ones only far from a blink and every third, hidden eyes never.
    void labelsFromTheTag()
    {
        QByteArray tag = "#start\n";
        for (int frame = 0; frame < 40; ++frame) {
            const bool blink = frame >= 20 && frame <= 23;
            const bool shut = frame == 21 || frame == 22;
            const bool hidden = frame == 30;
            tag += QByteArray::number(frame) + ":" + (blink ? "1" : "-1") +
                   ":X:" + (shut ? "C" : "X") + ":X:" + (shut && frame == 21 ? "C" : "X") + ":" +
                   (hidden ? "N" : "X") + ":0:0:0:0:0:0:0:0:0:0:0:0\n";
        }
        tag += "#end\n";
        FrameLabels labels;
        QString error;
        QVERIFY2(labelsFromTag(write("clip.tag", tag), labels, error), qPrintable(error));
        QCOMPARE(int(labels.first.size()), 40);
        QCOMPARE(labels.first[21], 1.f);
        QCOMPARE(labels.first[22], 1.f);
        QCOMPARE(labels.second[21], 1.f);
        QCOMPARE(labels.second[22], -1.f); // partly closed: no sample
        QCOMPARE(labels.first[20], -1.f);  // the blink's own frames
        QCOMPARE(labels.first[12], 0.f);   // far from it, every third
        QCOMPARE(labels.first[13], -1.f);  // not every frame
        QCOMPARE(labels.first[15], -1.f);  // within the margin
        QCOMPARE(labels.first[30], 0.f);
        QCOMPARE(labels.second[30], -1.f); // hidden
        QVERIFY(!labelsFromTag(write("bad.tag", "#start\n0:-1:X\n#end\n"), labels, error));
        QVERIFY(error.contains("bad.tag:2"));
    }

    // Trained on shut and open eyes, the model tells them apart, on the clip it was trained on
    // and on the one left out; a half-shut eye scores between the two.
    void trainingSeparatesShutFromOpen()
    {
        const EyeSamples samples = syntheticSamples({0.f, 1.f, 0.5f});
        QVERIFY(!samples.info.empty());
        EyeStateModel model;
        QString error;
        QVERIFY2(train(samples, {"b"}, Training(), model, error), qPrintable(error));
        for (const ClipAccuracy& clip : accuracyPerClip(samples, {"a", "b"}, model)) {
            QCOMPARE(clip.shut, 10);
            QCOMPARE(clip.open, 10);
            QCOMPARE(clip.shutRight, clip.shut);
            QCOMPARE(clip.openRight, clip.open);
        }
        const SyntheticFace face(cv::Rect(200, 100, 240, 280));
        std::array<float, 3> scores{};
        const std::array<double, 3> shown{0.0, 0.5, 1.0};
        for (std::size_t i = 0; i < shown.size(); ++i) {
            scores[i] = model.scoreEye(noisy(face.render(shown[i]), 99), face.eyes(), 0);
        }
        QVERIFY2(
            scores[0] < -0.9f && scores[0] < scores[1] && scores[1] < scores[2] && scores[2] > 0.9f,
            qPrintable(QStringLiteral("%1 %2 %3").arg(scores[0]).arg(scores[1]).arg(scores[2])));

        const QString path = m_dir.filePath("trained.yml");
        std::string message;
        QVERIFY(model.save(path.toStdString(), "test", message));
        EyeStateModel loaded;
        QVERIFY2(loaded.load(path.toStdString(), message), message.c_str());
        const cv::Mat shut = noisy(face.render(1.0), 7);
        QCOMPARE(loaded.scoreEye(shut, face.eyes(), 1), model.scoreEye(shut, face.eyes(), 1));

        QVERIFY(!train(samples, {"a", "b"}, Training(), model, error));
        QVERIFY(!error.isEmpty());
    }

    void samplesFileAndCommandLine()
    {
        const EyeSamples samples = syntheticSamples({0.f, 1.f});
        QString error;
        const QString path = m_dir.filePath("samples.yml.gz");
        QVERIFY2(saveSamples(path, samples, error), qPrintable(error));
        QString text;
        QTextStream out(&text);
        QTextStream err(&text);
        const QString model = m_dir.filePath("cli.yml");
        QCOMPARE(runTool({"train", path, model, "--without", "b"}, out, err), 0);
        out.flush();
        QVERIFY2(text.contains("left out:\nb           shut 10/10  open 10/10"), qPrintable(text));
        EyeStateModel loaded;
        std::string message;
        QVERIFY2(loaded.load(model.toStdString(), message), message.c_str());
        QCOMPARE(runTool({"crossval", path, m_dir.filePath("folds")}, out, err), 0);
        QVERIFY(QFile::exists(m_dir.filePath("folds/a.yml")));
        QVERIFY(QFile::exists(m_dir.filePath("folds/b.yml")));

        QCOMPARE(runTool({"train"}, out, err), 2);
        QCOMPARE(runTool({"fly", path, model}, out, err), 2);
        QCOMPARE(runTool({"train", path, model, "--c", "-1"}, out, err), 2);
        QCOMPARE(
            runTool({"train", write("junk.yml", "%YAML:1.0\n---\nclips: 3\n"), model}, out, err),
            1);
        QCOMPARE(runTool({"train", m_dir.filePath("absent.yml.gz"), model}, out, err), 1);
    }
};

QTEST_MAIN(TestEyeState)
#include "tst_eyestate.moc"

#pragma once

#include "model/FaceLocator.h"

#include <opencv2/imgproc.hpp>

// A grey face for the eye-motion tests: smooth, low-contrast skin (on which the flow of a moving
// head is uneven, as on real skin) with brows, nostrils and a mouth, on a textured background,
// two eyes (white, iris, pupil) whose upper lids can close, and a pose (any affine map) that
// moves the whole head.
// The eyes sit where the tiny landmark model of the tests puts them in the face box: corners at
// 0.3 and 0.45, and 0.55 and 0.7 of its width, at 0.45 of its height.
class SyntheticFace
{
public:
    explicit SyntheticFace(cv::Rect box, cv::Size frame = cv::Size(640, 480)) : m_box(box)
    {
        cv::RNG rng(11);
        m_background = texture(frame, rng, 50, 110, 3.0);
        m_skin = texture(frame, rng, 150, 180, 4.0);
        m_face = cv::Mat::zeros(frame, CV_8UC1);
        cv::ellipse(m_face, centre(), cv::Size(box.width * 9 / 20, box.height / 2), 0, 0, 360,
                    cv::Scalar(255), cv::FILLED);
        m_eyes.first = eyeAt(0.375f);
        m_eyes.second = eyeAt(0.625f);
    }

    const EyePair& eyes() const { return m_eyes; }
    float eyeDistance() const { return m_eyes.second.x - m_eyes.first.x; }
    cv::Point2f centre() const
    {
        return {m_box.x + m_box.width / 2.f, m_box.y + m_box.height / 2.f};
    }

    // closure 0 open, 1 closed; pose maps the face at rest to the frame. gazeHold is how far the
    // irises turn back against the head's motion at the eyes, as eyes that keep looking at one
    // place do: 0 not at all, 1 back to where they were in the frame.
    cv::Mat render(double closure, const cv::Matx23d& pose = still(), double gazeHold = 0.0) const
    {
        cv::Mat still = m_background.clone();
        m_skin.copyTo(still, m_face);
        drawFeatures(still);
        cv::Matx23d toRest;
        cv::invertAffineTransform(pose, toRest);
        for (const EyeValues& eye : {m_eyes.first, m_eyes.second}) {
            const cv::Vec2d back = toRest * cv::Vec3d(eye.x, eye.y, 1) - cv::Vec2d(eye.x, eye.y);
            drawEye(still, eye, closure,
                    cv::Point2f(eye.x + gazeHold * back[0], eye.y + gazeHold * back[1]));
        }
        // The head moves in front of a background that stays where it is, as before a webcam.
        cv::Mat out;
        cv::warpAffine(still, out, pose, still.size(), cv::INTER_LINEAR, cv::BORDER_REFLECT);
        cv::Mat face;
        cv::warpAffine(m_face, face, pose, still.size(), cv::INTER_NEAREST);
        m_background.copyTo(out, face == 0);
        return out;
    }

    static cv::Matx23d still() { return {1, 0, 0, 0, 1, 0}; }
    static cv::Matx23d shift(double dx, double dy) { return {1, 0, dx, 0, 1, dy}; }
    // Scaled about a point: the head coming closer.
    static cv::Matx23d zoom(double scale, cv::Point2f about)
    {
        return {scale, 0, (1 - scale) * about.x, 0, scale, (1 - scale) * about.y};
    }
    // A nod as the camera sees it: the face moves down and its height stretches about the
    // point, which a shift, turn and scale of the image cannot express.
    static cv::Matx23d nod(double dy, double stretch, cv::Point2f about)
    {
        return {1, 0, 0, 0, 1 + stretch, dy - stretch * about.y};
    }

private:
    static cv::Mat texture(cv::Size size, cv::RNG& rng, int low, int high, double blur)
    {
        cv::Mat noise(size, CV_8UC1);
        rng.fill(noise, cv::RNG::UNIFORM, low, high);
        cv::GaussianBlur(noise, noise, cv::Size(0, 0), blur);
        return noise;
    }

    EyeValues eyeAt(float across) const
    {
        const float cornerDistance = 0.15f * m_box.width;
        return {m_box.x + across * m_box.width, m_box.y + 0.45f * m_box.height,
                static_cast<int>(2 * cornerDistance)};
    }

    // Brows, nostrils and a mouth: the corners a head tracker follows on a real face. The brows
    // stay above the eye squares, so the eye flow never sees them.
    void drawFeatures(cv::Mat& image) const
    {
        for (const EyeValues& eye : {m_eyes.first, m_eyes.second}) {
            const cv::Point brow(cvRound(eye.x), cvRound(eye.y - 0.65f * eye.roiSize));
            cv::ellipse(image, brow, cv::Size(eye.roiSize / 4, 3), 0, 0, 360, cv::Scalar(90),
                        cv::FILLED);
        }
        const cv::Point2f middle = centre();
        const int nose = cvRound(m_box.y + 0.68f * m_box.height);
        const int apart = cvRound(0.04f * m_box.width);
        for (const int side : {-1, 1}) {
            cv::ellipse(image, cv::Point(cvRound(middle.x) + side * apart, nose), cv::Size(4, 3), 0,
                        0, 360, cv::Scalar(80), cv::FILLED);
        }
        cv::ellipse(image, cv::Point(cvRound(middle.x), cvRound(m_box.y + 0.8f * m_box.height)),
                    cv::Size(cvRound(0.12f * m_box.width), 4), 0, 0, 360, cv::Scalar(110),
                    cv::FILLED);
    }

    // The opening is an ellipse as wide as the corner distance; the closing lid is skin that
    // slides down over it from its top.
    void drawEye(cv::Mat& image, const EyeValues& eye, double closure, cv::Point2f iris) const
    {
        const int width = eye.roiSize / 2;
        const int height = width * 2 / 5;
        const cv::Point centre(cvRound(eye.x), cvRound(eye.y));
        cv::Mat opening = cv::Mat::zeros(image.size(), CV_8UC1);
        cv::ellipse(opening, centre, cv::Size(width / 2, height / 2), 0, 0, 360, cv::Scalar(255),
                    cv::FILLED);
        cv::Mat eyeball(image.size(), CV_8UC1, cv::Scalar(225));
        // Placed to a sixteenth of a pixel: an iris held still moves on the face by fractions.
        constexpr int kSubPixelBits = 4;
        constexpr int kSteps = 1 << kSubPixelBits;
        const cv::Point irisCentre(cvRound(iris.x * kSteps), cvRound(iris.y * kSteps));
        cv::circle(eyeball, irisCentre, height * 9 / 20 * kSteps, cv::Scalar(70), cv::FILLED,
                   cv::LINE_8, kSubPixelBits);
        cv::circle(eyeball, irisCentre, height / 5 * kSteps, cv::Scalar(15), cv::FILLED, cv::LINE_8,
                   kSubPixelBits);
        eyeball.copyTo(image, opening);
        const double drop = closure * height;
        const int top = centre.y - height / 2;
        for (int y = top; y < top + cvRound(drop); ++y) {
            for (int x = centre.x - width / 2; x <= centre.x + width / 2; ++x) {
                if (opening.at<uchar>(y, x)) {
                    image.at<uchar>(y, x) = m_skin.at<uchar>(y - cvRound(drop), x);
                }
            }
        }
    }

    cv::Rect m_box;
    cv::Mat m_background;
    cv::Mat m_skin;
    cv::Mat m_face;
    EyePair m_eyes;
};

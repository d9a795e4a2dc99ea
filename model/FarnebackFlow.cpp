#include "FarnebackFlow.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <opencv2/imgproc.hpp>
#include <opencv2/video/tracking.hpp>

namespace {

// Levels whose image would be narrower than this are not built, as in OpenCV.
constexpr int kSmallestLevel = 32;
// Below this side OpenCV's test for the border weights wraps around and weights some inner
// pixels too; images that small go to OpenCV itself.
constexpr int kSmallestOwnImage = 10;
// The expansion's border weights: pixels within five of an edge see the replicated edge.
constexpr int kBorder = 5;
constexpr float kBorderWeights[kBorder] = {0.14f, 0.14f, 0.4472f, 0.4472f, 0.4472f};

cv::Mat plane(const cv::Mat& planes, int channel, int height)
{
    return planes.rowRange(channel * height, (channel + 1) * height);
}

} // namespace

// The inner loops, once for AVX2 and once for any x86-64, chosen when the program loads.
#if defined(__x86_64__) && defined(__ELF__)
#define FLOW_LOOPS __attribute__((target_clones("avx2", "default")))
#define WINKWELL_FLOW_AVX2 1
#include <immintrin.h>
#else
#define FLOW_LOOPS
#define WINKWELL_FLOW_AVX2 0
#endif

FarnebackFlow::FarnebackFlow(const Parameters& parameters) : m_parameters(parameters)
{
    // The Gaussian g, x·g and x²·g over [-n, n], and the entries of the inverse of the moment
    // matrix that the expansion's coefficients need.
    const int n = m_parameters.polyN;
    double sigma = m_parameters.polySigma;
    if (sigma < FLT_EPSILON) {
        sigma = n * 0.3;
    }
    for (std::vector<float>* kernel : {&m_g, &m_xg, &m_xxg}) {
        kernel->assign(2 * static_cast<size_t>(n) + 1, 0.f);
    }
    float* g = m_g.data() + n;
    float* xg = m_xg.data() + n;
    float* xxg = m_xxg.data() + n;
    double sum = 0.;
    for (int x = -n; x <= n; ++x) {
        g[x] = static_cast<float>(std::exp(-x * x / (2 * sigma * sigma)));
        sum += g[x];
    }
    sum = 1. / sum;
    for (int x = -n; x <= n; ++x) {
        g[x] = static_cast<float>(g[x] * sum);
        xg[x] = static_cast<float>(x * g[x]);
        xxg[x] = static_cast<float>(x * x * g[x]);
    }
    cv::Mat_<double> moments = cv::Mat_<double>::zeros(6, 6);
    for (int y = -n; y <= n; ++y) {
        for (int x = -n; x <= n; ++x) {
            moments(0, 0) += g[y] * g[x];
            moments(1, 1) += g[y] * g[x] * x * x;
            moments(3, 3) += g[y] * g[x] * x * x * x * x;
            moments(5, 5) += g[y] * g[x] * x * x * y * y;
        }
    }
    moments(2, 2) = moments(0, 3) = moments(0, 4) = moments(3, 0) = moments(4, 0) = moments(1, 1);
    moments(4, 4) = moments(3, 3);
    moments(3, 4) = moments(4, 3) = moments(5, 5);
    const cv::Mat_<double> inverse = moments.inv(cv::DECOMP_CHOLESKY);
    m_ig11 = inverse(1, 1);
    m_ig03 = inverse(0, 3);
    m_ig33 = inverse(3, 3);
    m_ig55 = inverse(5, 5);
}

// The expansion's vertical pass at row y: three planes of Gaussian-weighted moments, ~ 1, y, y².
FLOW_LOOPS static void verticalMoments(const cv::Mat& image, int y, int n, const float* g,
                                       const float* xg, const float* xxg, float* __restrict p0,
                                       float* __restrict p1, float* __restrict p2)
{
    const int width = image.cols;
    const float* __restrict centre = image.ptr<float>(y);
    const float g0 = g[0];
    for (int x = 0; x < width; ++x) {
        p0[x] = centre[x] * g0;
        p1[x] = 0.f;
        p2[x] = 0.f;
    }
    for (int k = 1; k <= n; ++k) {
        const float gk = g[k], xgk = xg[k], xxgk = xxg[k];
        const float* __restrict above = image.ptr<float>(std::max(y - k, 0));
        const float* __restrict below = image.ptr<float>(std::min(y + k, image.rows - 1));
        for (int x = 0; x < width; ++x) {
            const float p = above[x] + below[x];
            p0[x] = p0[x] + gk * p;
            p1[x] = p1[x] + xgk * (below[x] - above[x]);
            p2[x] = p2[x] + xxgk * p;
        }
    }
}

// The box window's column sums move down a row.
FLOW_LOOPS static void slideColumns(double* __restrict sums, const float* __restrict entering,
                                    const float* __restrict leaving, int width)
{
    for (int x = 0; x < width; ++x) {
        sums[x] += entering[x] - leaving[x];
    }
}

// The expansion's horizontal pass over one row of the vertical pass's three planes (padded by n
// on either side): six planes of sums, b1 ~ 1, b2 ~ x, b3 ~ y, b4 ~ x², b5 ~ y², b6 ~ xy.
// (Six pointers of their own: the compiler vectorises this only when it knows they do not alias.)
FLOW_LOOPS static void horizontalMoments(const float* __restrict p0, const float* __restrict p1,
                                         const float* __restrict p2, double* __restrict b1,
                                         double* __restrict b2, double* __restrict b3,
                                         double* __restrict b4, double* __restrict b5,
                                         double* __restrict b6, int width, int n, const float* g,
                                         const float* xg, const float* xxg)
{
    const float g0 = g[0];
    for (int x = 0; x < width; ++x) {
        b1[x] = p0[x] * g0;
        b2[x] = 0;
        b3[x] = p1[x] * g0;
        b4[x] = 0;
        b5[x] = p2[x] * g0;
        b6[x] = 0;
    }
    for (int k = 1; k <= n; ++k) {
        const float gk = g[k], xgk = xg[k];
        const double gkd = gk, xxgk = xxg[k];
        for (int x = 0; x < width; ++x) {
            const double tg = p0[x + k] + p0[x - k];
            b1[x] += tg * gkd;
            b4[x] += tg * xxgk;
            b2[x] += (p0[x + k] - p0[x - k]) * xgk;
            b3[x] += (p1[x + k] + p1[x - k]) * gk;
            b6[x] += (p1[x + k] - p1[x - k]) * xgk;
            b5[x] += (p2[x + k] + p2[x - k]) * gk;
        }
    }
}

void FarnebackFlow::calc(const cv::Mat& previous, const cv::Mat& next, cv::Mat& flow)
{
    CV_Assert(previous.size() == next.size() && previous.type() == CV_8UC1 &&
              next.type() == CV_8UC1 && m_parameters.pyramidScale < 1);
    if (previous.cols < kSmallestOwnImage || previous.rows < kSmallestOwnImage) {
        cv::calcOpticalFlowFarneback(previous, next, flow, m_parameters.pyramidScale,
                                     m_parameters.levels, m_parameters.window,
                                     m_parameters.iterations, m_parameters.polyN,
                                     m_parameters.polySigma, 0);
        return;
    }
    flow.create(previous.size(), CV_32FC2);

    int levels = 0;
    for (double scale = 1; levels < m_parameters.levels; ++levels) {
        scale *= m_parameters.pyramidScale;
        if (previous.cols * scale < kSmallestLevel || previous.rows * scale < kSmallestLevel) {
            break;
        }
    }

    const cv::Mat* images[2] = {&previous, &next};
    for (int k = levels; k >= 0; --k) {
        double scale = 1;
        for (int i = 0; i < k; ++i) {
            scale *= m_parameters.pyramidScale;
        }
        const double sigma = (1. / scale - 1) * 0.5;
        const int smoothing = std::max(cvRound(sigma * 5) | 1, 3);
        const cv::Size size(cvRound(previous.cols * scale), cvRound(previous.rows * scale));

        cv::Mat& planes = m_levelFlow[k % 2];
        planes.create(2 * size.height, size.width, CV_32F);
        if (k == levels) {
            planes.setTo(cv::Scalar::all(0));
        } else {
            const cv::Mat& coarser = m_levelFlow[(k + 1) % 2];
            for (int c = 0; c < 2; ++c) {
                cv::resize(plane(coarser, c, coarser.rows / 2), m_flowPlane[c], size, 0, 0,
                           cv::INTER_LINEAR);
                cv::Mat target = plane(planes, c, size.height);
                m_flowPlane[c].convertTo(target, CV_32F, 1. / m_parameters.pyramidScale);
            }
        }

        for (int i = 0; i < 2; ++i) {
            images[i]->convertTo(m_float, CV_32F);
            cv::GaussianBlur(m_float, m_blurred, cv::Size(smoothing, smoothing), sigma, sigma);
            if (m_blurred.size() == size) {
                expand(m_blurred, m_r[i]);
            } else {
                cv::resize(m_blurred, m_level, size, 0, 0, cv::INTER_LINEAR);
                expand(m_level, m_r[i]);
            }
        }
        updateMatrices(m_r[0], m_r[1], planes, m_m);
        for (int i = 0; i < m_parameters.iterations; ++i) {
            updateFlow(m_r[0], m_r[1], planes, m_m, i < m_parameters.iterations - 1);
        }
    }
    const cv::Mat& finest = m_levelFlow[0];
    const cv::Mat vectors[2] = {plane(finest, 0, flow.rows), plane(finest, 1, flow.rows)};
    cv::merge(vectors, 2, flow);
}

// The local quadratic polynomial of every pixel, by separable Gaussian-weighted moments:
// the vertical pass into three padded planes, the horizontal one into six planes of sums, both
// in OpenCV's order and precision.
void FarnebackFlow::expand(const cv::Mat& image, cv::Mat& planes)
{
    const int n = m_parameters.polyN;
    const int width = image.cols;
    const int height = image.rows;
    const float* g = m_g.data() + n;
    const float* xg = m_xg.data() + n;
    const float* xxg = m_xxg.data() + n;
    planes.create(5 * height, width, CV_32F);

    const int padded = width + 2 * n;
    m_rows.resize(3 * static_cast<size_t>(padded));
    float* p0 = m_rows.data() + n;
    float* p1 = p0 + padded;
    float* p2 = p1 + padded;
    m_sums.resize(6 * static_cast<size_t>(width));
    double* b1 = m_sums.data();
    double* b2 = b1 + width;
    double* b3 = b2 + width;
    double* b4 = b3 + width;
    double* b5 = b4 + width;
    double* b6 = b5 + width;
    const double ig11 = m_ig11, ig03 = m_ig03, ig33 = m_ig33, ig55 = m_ig55;

    for (int y = 0; y < height; ++y) {
        verticalMoments(image, y, n, g, xg, xxg, p0, p1, p2);
        for (float* row : {p0, p1, p2}) {
            std::fill(row - n, row, row[0]);
            std::fill(row + width, row + width + n, row[width - 1]);
        }

        horizontalMoments(p0, p1, p2, b1, b2, b3, b4, b5, b6, width, n, g, xg, xxg);
        float* __restrict out0 = planes.ptr<float>(y);
        float* __restrict out1 = planes.ptr<float>(height + y);
        float* __restrict out2 = planes.ptr<float>(2 * height + y);
        float* __restrict out3 = planes.ptr<float>(3 * height + y);
        float* __restrict out4 = planes.ptr<float>(4 * height + y);
        for (int x = 0; x < width; ++x) {
            out0[x] = static_cast<float>(b3[x] * ig11);
            out1[x] = static_cast<float>(b2[x] * ig11);
            out2[x] = static_cast<float>(b1[x] * ig03 + b5[x] * ig33);
            out3[x] = static_cast<float>(b1[x] * ig03 + b4[x] * ig33);
            out4[x] = static_cast<float>(b6[x] * ig55);
        }
    }
}

// One row of the normal equations' matrices: where the flow moves each pixel, the second
// expansion is read by bilinear interpolation and averaged with the first.
struct MatrixRow
{
    int y, width, height;
    const float* u; // the flow's two planes at row y
    const float* v;
    const float* a[5]; // the first expansion's planes at row y
    const float* q[5]; // the second expansion's whole planes
    const float* columnScale;
    float rowScale;
    float* m[5]; // the matrices' planes at row y
};

// Pixels from x on, one at a time.
static void matrixRowFrom(const MatrixRow& row, int x)
{
    const int width = row.width;
    const auto* q0 = row.q[0];
    const auto* q1 = row.q[1];
    const auto* q2 = row.q[2];
    const auto* q3 = row.q[3];
    const auto* q4 = row.q[4];
    for (; x < width; ++x) {
        const float dx = row.u[x], dy = row.v[x];
        float fx = static_cast<float>(x) + dx, fy = static_cast<float>(row.y) + dy;
        const int x1 = cvFloor(fx), y1 = cvFloor(fy);
        fx -= static_cast<float>(x1);
        fy -= static_cast<float>(y1);
        float r2, r3, r4, r5, r6;
        const float a2 = row.a[2][x], a3 = row.a[3][x], a4 = row.a[4][x];
        if (static_cast<unsigned>(x1) < static_cast<unsigned>(width - 1) &&
            static_cast<unsigned>(y1) < static_cast<unsigned>(row.height - 1)) {
            const int at = y1 * width + x1;
            const int below = at + width;
            const float a00 = (1.f - fx) * (1.f - fy), a01 = fx * (1.f - fy), a10 = (1.f - fx) * fy,
                        a11 = fx * fy;
            r2 = a00 * q0[at] + a01 * q0[at + 1] + a10 * q0[below] + a11 * q0[below + 1];
            r3 = a00 * q1[at] + a01 * q1[at + 1] + a10 * q1[below] + a11 * q1[below + 1];
            r4 = a00 * q2[at] + a01 * q2[at + 1] + a10 * q2[below] + a11 * q2[below + 1];
            r5 = a00 * q3[at] + a01 * q3[at + 1] + a10 * q3[below] + a11 * q3[below + 1];
            r6 = a00 * q4[at] + a01 * q4[at + 1] + a10 * q4[below] + a11 * q4[below + 1];
            r4 = (a2 + r4) * 0.5f;
            r5 = (a3 + r5) * 0.5f;
            r6 = (a4 + r6) * 0.25f;
        } else {
            r2 = r3 = 0.f;
            r4 = a2;
            r5 = a3;
            r6 = a4 * 0.5f;
        }
        r2 = (row.a[0][x] - r2) * 0.5f;
        r3 = (row.a[1][x] - r3) * 0.5f;
        r2 += r4 * dy + r6 * dx;
        r3 += r6 * dy + r5 * dx;
        // Away from the border the weight is exactly 1.
        const float scale = row.columnScale[x] * row.rowScale;
        r2 *= scale;
        r3 *= scale;
        r4 *= scale;
        r5 *= scale;
        r6 *= scale;
        row.m[0][x] = r4 * r4 + r6 * r6;
        row.m[1][x] = (r4 + r5) * r6;
        row.m[2][x] = r5 * r5 + r6 * r6;
        row.m[3][x] = r4 * r2 + r6 * r3;
        row.m[4][x] = r6 * r2 + r5 * r3;
    }
}

#if WINKWELL_FLOW_AVX2
// Eight pixels at a time, lane by lane the same operations in the same order as above (no fused
// multiply-adds), so the matrices are the same to the bit; the rest one at a time.
__attribute__((target("avx2"))) static void matrixRowAvx2(const MatrixRow& row)
{
    const int width = row.width;
    const __m256i lastColumn = _mm256_set1_epi32(width - 1);
    const __m256i lastRow = _mm256_set1_epi32(row.height - 1);
    const __m256i minusOne = _mm256_set1_epi32(-1);
    const __m256i stride = _mm256_set1_epi32(width);
    const __m256i one = _mm256_set1_epi32(1);
    const __m256 ones = _mm256_set1_ps(1.f);
    const __m256 halves = _mm256_set1_ps(0.5f);
    const __m256 quarters = _mm256_set1_ps(0.25f);
    const __m256 rowScale = _mm256_set1_ps(row.rowScale);
    const __m256 y = _mm256_set1_ps(static_cast<float>(row.y));
    const __m256 lanes = _mm256_setr_ps(0, 1, 2, 3, 4, 5, 6, 7);
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        const __m256 dx = _mm256_loadu_ps(row.u + x);
        const __m256 dy = _mm256_loadu_ps(row.v + x);
        __m256 fx = _mm256_add_ps(_mm256_add_ps(_mm256_set1_ps(static_cast<float>(x)), lanes), dx);
        __m256 fy = _mm256_add_ps(y, dy);
        // cvFloor: truncate, and one less where that rounded up.
        __m256i x1 = _mm256_cvttps_epi32(fx);
        __m256i y1 = _mm256_cvttps_epi32(fy);
        x1 = _mm256_add_epi32(
            x1, _mm256_castps_si256(_mm256_cmp_ps(_mm256_cvtepi32_ps(x1), fx, _CMP_GT_OQ)));
        y1 = _mm256_add_epi32(
            y1, _mm256_castps_si256(_mm256_cmp_ps(_mm256_cvtepi32_ps(y1), fy, _CMP_GT_OQ)));
        fx = _mm256_sub_ps(fx, _mm256_cvtepi32_ps(x1));
        fy = _mm256_sub_ps(fy, _mm256_cvtepi32_ps(y1));
        const __m256i insideBits = _mm256_and_si256(
            _mm256_and_si256(_mm256_cmpgt_epi32(x1, minusOne), _mm256_cmpgt_epi32(lastColumn, x1)),
            _mm256_and_si256(_mm256_cmpgt_epi32(y1, minusOne), _mm256_cmpgt_epi32(lastRow, y1)));
        const __m256 inside = _mm256_castsi256_ps(insideBits);
        // Outside, index 0 keeps the gathers within the planes; their values are not used.
        const __m256i at =
            _mm256_and_si256(insideBits, _mm256_add_epi32(_mm256_mullo_epi32(y1, stride), x1));
        const __m256i right = _mm256_add_epi32(at, one);
        const __m256i below = _mm256_add_epi32(at, stride);
        const __m256i belowRight = _mm256_add_epi32(below, one);
        const __m256 gx = _mm256_sub_ps(ones, fx), gy = _mm256_sub_ps(ones, fy);
        const __m256 a00 = _mm256_mul_ps(gx, gy), a01 = _mm256_mul_ps(fx, gy),
                     a10 = _mm256_mul_ps(gx, fy), a11 = _mm256_mul_ps(fx, fy);
        __m256 s[5];
        for (int c = 0; c < 5; ++c) {
            const float* plane = row.q[c];
            __m256 sum = _mm256_mul_ps(a00, _mm256_i32gather_ps(plane, at, 4));
            sum = _mm256_add_ps(sum, _mm256_mul_ps(a01, _mm256_i32gather_ps(plane, right, 4)));
            sum = _mm256_add_ps(sum, _mm256_mul_ps(a10, _mm256_i32gather_ps(plane, below, 4)));
            s[c] =
                _mm256_add_ps(sum, _mm256_mul_ps(a11, _mm256_i32gather_ps(plane, belowRight, 4)));
        }
        const __m256 a2 = _mm256_loadu_ps(row.a[2] + x);
        const __m256 a3 = _mm256_loadu_ps(row.a[3] + x);
        const __m256 a4 = _mm256_loadu_ps(row.a[4] + x);
        __m256 r2 = _mm256_and_ps(inside, s[0]);
        __m256 r3 = _mm256_and_ps(inside, s[1]);
        __m256 r4 = _mm256_blendv_ps(a2, _mm256_mul_ps(_mm256_add_ps(a2, s[2]), halves), inside);
        __m256 r5 = _mm256_blendv_ps(a3, _mm256_mul_ps(_mm256_add_ps(a3, s[3]), halves), inside);
        __m256 r6 = _mm256_blendv_ps(_mm256_mul_ps(a4, halves),
                                     _mm256_mul_ps(_mm256_add_ps(a4, s[4]), quarters), inside);
        r2 = _mm256_mul_ps(_mm256_sub_ps(_mm256_loadu_ps(row.a[0] + x), r2), halves);
        r3 = _mm256_mul_ps(_mm256_sub_ps(_mm256_loadu_ps(row.a[1] + x), r3), halves);
        r2 = _mm256_add_ps(r2, _mm256_add_ps(_mm256_mul_ps(r4, dy), _mm256_mul_ps(r6, dx)));
        r3 = _mm256_add_ps(r3, _mm256_add_ps(_mm256_mul_ps(r6, dy), _mm256_mul_ps(r5, dx)));
        const __m256 scale = _mm256_mul_ps(_mm256_loadu_ps(row.columnScale + x), rowScale);
        r2 = _mm256_mul_ps(r2, scale);
        r3 = _mm256_mul_ps(r3, scale);
        r4 = _mm256_mul_ps(r4, scale);
        r5 = _mm256_mul_ps(r5, scale);
        r6 = _mm256_mul_ps(r6, scale);
        _mm256_storeu_ps(row.m[0] + x, _mm256_add_ps(_mm256_mul_ps(r4, r4), _mm256_mul_ps(r6, r6)));
        _mm256_storeu_ps(row.m[1] + x, _mm256_mul_ps(_mm256_add_ps(r4, r5), r6));
        _mm256_storeu_ps(row.m[2] + x, _mm256_add_ps(_mm256_mul_ps(r5, r5), _mm256_mul_ps(r6, r6)));
        _mm256_storeu_ps(row.m[3] + x, _mm256_add_ps(_mm256_mul_ps(r4, r2), _mm256_mul_ps(r6, r3)));
        _mm256_storeu_ps(row.m[4] + x, _mm256_add_ps(_mm256_mul_ps(r6, r2), _mm256_mul_ps(r5, r3)));
    }
    matrixRowFrom(row, x);
}
#endif

// The matrices of the flow's normal equations from both expansions at the current flow.
void FarnebackFlow::updateMatrices(const cv::Mat& r0, const cv::Mat& r1, const cv::Mat& flow,
                                   cv::Mat& m)
{
    const int width = flow.cols;
    const int height = flow.rows / 2;
    m.create(5 * height, width, CV_32F);
    m_borderScale.resize(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x) {
        m_borderScale[x] = (x < kBorder ? kBorderWeights[x] : 1.f) *
                           (x >= width - kBorder ? kBorderWeights[width - x - 1] : 1.f);
    }
#if WINKWELL_FLOW_AVX2
    static const bool avx2 = __builtin_cpu_supports("avx2");
#endif
    MatrixRow row{};
    row.width = width;
    row.height = height;
    row.columnScale = m_borderScale.data();
    for (int c = 0; c < 5; ++c) {
        row.q[c] = r1.ptr<float>(c * height);
    }
    for (int y = 0; y < height; ++y) {
        row.y = y;
        row.u = flow.ptr<float>(y);
        row.v = flow.ptr<float>(height + y);
        for (int c = 0; c < 5; ++c) {
            row.a[c] = r0.ptr<float>(c * height + y);
            row.m[c] = m.ptr<float>(c * height + y);
        }
        row.rowScale = (y < kBorder ? kBorderWeights[y] : 1.f) *
                       (y >= height - kBorder ? kBorderWeights[height - y - 1] : 1.f);
#if WINKWELL_FLOW_AVX2
        if (avx2) {
            matrixRowAvx2(row);
            continue;
        }
#endif
        matrixRowFrom(row, 0);
    }
}

// One step: the matrices averaged over the box window, solved for the flow of every pixel,
// then the matrices again at the new flow unless this is the last step. OpenCV refreshes the
// matrices in stripes behind the window as it goes; the window never reads a refreshed row, so
// refreshing them all after the pass gives the same values.
void FarnebackFlow::updateFlow(const cv::Mat& r0, const cv::Mat& r1, cv::Mat& flow, cv::Mat& m,
                               bool refreshMatrices)
{
    const int width = flow.cols;
    const int height = flow.rows / 2;
    const int half = m_parameters.window / 2;
    const double scale = 1. / (m_parameters.window * m_parameters.window);
    // Each of the five column-sum planes has half + 1 replicated columns on either side.
    const int padded = width + 2 * (half + 1);
    m_window.resize(5 * static_cast<size_t>(padded));
    double* sums[5];
    for (int c = 0; c < 5; ++c) {
        sums[c] = m_window.data() + static_cast<std::ptrdiff_t>(c) * padded + half + 1;
    }

    for (int c = 0; c < 5; ++c) {
        double* __restrict vsum = sums[c];
        const float* __restrict first = m.ptr<float>(c * height);
        for (int x = 0; x < width; ++x) {
            vsum[x] = first[x] * (half + 2);
        }
        for (int y = 1; y < half; ++y) {
            const float* __restrict row = m.ptr<float>(c * height + std::min(y, height - 1));
            for (int x = 0; x < width; ++x) {
                vsum[x] += row[x];
            }
        }
    }

    for (int y = 0; y < height; ++y) {
        for (int c = 0; c < 5; ++c) {
            double* __restrict vsum = sums[c];
            const float* __restrict leaving = m.ptr<float>(c * height + std::max(y - half - 1, 0));
            const float* __restrict entering =
                m.ptr<float>(c * height + std::min(y + half, height - 1));
            slideColumns(vsum, entering, leaving, width);
            std::fill(vsum - half - 1, vsum, vsum[0]);
            std::fill(vsum + width, vsum + width + half + 1, vsum[width - 1]);
        }
        const double *s0 = sums[0], *s1 = sums[1], *s2 = sums[2], *s3 = sums[3], *s4 = sums[4];
        double g11 = s0[0] * (half + 2);
        double g12 = s1[0] * (half + 2);
        double g22 = s2[0] * (half + 2);
        double h1 = s3[0] * (half + 2);
        double h2 = s4[0] * (half + 2);
        for (int x = 1; x < half; ++x) {
            g11 += s0[x];
            g12 += s1[x];
            g22 += s2[x];
            h1 += s3[x];
            h2 += s4[x];
        }
        float* __restrict u = flow.ptr<float>(y);
        float* __restrict v = flow.ptr<float>(height + y);
        for (int x = 0; x < width; ++x) {
            g11 += s0[x + half] - s0[x - half - 1];
            g12 += s1[x + half] - s1[x - half - 1];
            g22 += s2[x + half] - s2[x - half - 1];
            h1 += s3[x + half] - s3[x - half - 1];
            h2 += s4[x + half] - s4[x - half - 1];
            const double g11s = g11 * scale, g12s = g12 * scale, g22s = g22 * scale,
                         h1s = h1 * scale, h2s = h2 * scale;
            const double idet = 1. / (g11s * g22s - g12s * g12s + 1e-3);
            u[x] = static_cast<float>((g11s * h2s - g12s * h1s) * idet);
            v[x] = static_cast<float>((g22s * h1s - g12s * h2s) * idet);
        }
    }
    if (refreshMatrices) {
        updateMatrices(r0, r1, flow, m);
    }
}

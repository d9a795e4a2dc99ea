#pragma once

#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>
#include <xcb/randr.h>

// The first CRTC's gamma ramp as the X server holds it, read and written on a connection of the
// test's own.
class ServerGammaRamp
{
public:
    using Channels = std::array<std::vector<std::uint16_t>, 3>;

    ServerGammaRamp() : m_x(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(m_x.get()) != 0) {
            return;
        }
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_x.get())).data->root;
        Malloced<xcb_randr_get_screen_resources_current_reply_t> resources(
            xcb_randr_get_screen_resources_current_reply(
                m_x.get(), xcb_randr_get_screen_resources_current(m_x.get(), root), nullptr));
        if (resources && xcb_randr_get_screen_resources_current_crtcs_length(resources.get()) > 0) {
            m_crtc = xcb_randr_get_screen_resources_current_crtcs(resources.get())[0];
        }
    }

    bool isValid() const { return m_crtc != XCB_NONE; }
    xcb_randr_crtc_t crtc() const { return m_crtc; }

    int size() const
    {
        Malloced<xcb_randr_get_crtc_gamma_size_reply_t> reply(xcb_randr_get_crtc_gamma_size_reply(
            m_x.get(), xcb_randr_get_crtc_gamma_size(m_x.get(), m_crtc), nullptr));
        return reply ? reply->size : 0;
    }

    Channels read() const
    {
        Malloced<xcb_randr_get_crtc_gamma_reply_t> gamma(xcb_randr_get_crtc_gamma_reply(
            m_x.get(), xcb_randr_get_crtc_gamma(m_x.get(), m_crtc), nullptr));
        if (!gamma) {
            return {};
        }
        const auto copy = [&](const std::uint16_t* values) {
            return std::vector<std::uint16_t>(values, values + gamma->size);
        };
        return {copy(xcb_randr_get_crtc_gamma_red(gamma.get())),
                copy(xcb_randr_get_crtc_gamma_green(gamma.get())),
                copy(xcb_randr_get_crtc_gamma_blue(gamma.get()))};
    }

    bool write(const Channels& channels) const
    {
        const xcb_void_cookie_t cookie = xcb_randr_set_crtc_gamma_checked(
            m_x.get(), m_crtc, static_cast<std::uint16_t>(channels[0].size()), channels[0].data(),
            channels[1].data(), channels[2].data());
        Malloced<xcb_generic_error_t> error(xcb_request_check(m_x.get(), cookie));
        return !error;
    }

    // The identity ramp of 256 entries (255 * 257 = 65535 at the top).
    static Channels identity()
    {
        Channels channels;
        for (auto& channel : channels) {
            for (int i = 0; i < 256; ++i) {
                channel.push_back(static_cast<std::uint16_t>(i * 257));
            }
        }
        return channels;
    }

private:
    struct Free
    {
        void operator()(void* data) const { std::free(data); }
    };
    template <typename T> using Malloced = std::unique_ptr<T, Free>;
    struct Disconnect
    {
        void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
    };

    std::unique_ptr<xcb_connection_t, Disconnect> m_x;
    xcb_randr_crtc_t m_crtc = XCB_NONE;
};

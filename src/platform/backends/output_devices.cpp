#include "platform/backends/output_devices.h"

#include <pipewire/pipewire.h>
#include <pulse/pulseaudio.h>

#include <chrono>
#include <cstring>
#include <mutex>
#include <utility>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kAnswerTime = std::chrono::milliseconds(1000);

int msLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

OutputDevice described(const char* name, const char* description) {
    OutputDevice device{name, description != nullptr ? description : ""};
    if (device.description.empty()) {
        device.description = device.name;
    }
    return device;
}

// libpulse's own mainloop, run here on the calling thread until the list is complete.
struct PulseListing {
    std::vector<OutputDevice> devices;
    bool complete = false;

    static void sinkListed(pa_context* /*context*/, const pa_sink_info* info, int eol,
                           void* self) noexcept {
        auto& listing = *static_cast<PulseListing*>(self);
        if (eol != 0) {
            listing.complete = true;
        } else if (info != nullptr && info->name != nullptr) {
            listing.devices.push_back(described(info->name, info->description));
        }
    }
};

bool listThroughPulse(Clock::time_point deadline, std::vector<OutputDevice>& devices) {
    pa_mainloop* loop = pa_mainloop_new();
    if (loop == nullptr) {
        return false;
    }
    pa_context* context = pa_context_new(pa_mainloop_get_api(loop), "Lirveto");
    PulseListing listing;
    bool asked = false;
    if (context != nullptr &&
        pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
        while (!listing.complete && msLeft(deadline) > 0) {
            const pa_context_state_t state = pa_context_get_state(context);
            if (!PA_CONTEXT_IS_GOOD(state)) {
                break;
            }
            if (state == PA_CONTEXT_READY && !asked) {
                asked = true;
                if (pa_operation* operation = pa_context_get_sink_info_list(
                        context, &PulseListing::sinkListed, &listing)) {
                    pa_operation_unref(operation);
                } else {
                    break;
                }
            }
            if (pa_mainloop_prepare(loop, msLeft(deadline) * 1000) < 0 ||
                pa_mainloop_poll(loop) < 0 || pa_mainloop_dispatch(loop) < 0) {
                break;
            }
        }
    }
    if (context != nullptr) {
        pa_context_disconnect(context);
        pa_context_unref(context);
    }
    pa_mainloop_free(loop);
    if (listing.complete) {
        devices = std::move(listing.devices);
    }
    return listing.complete;
}

// PipeWire's registry: every node whose media class is a sink, then a round trip to the server
// to know that the registry has told all it had.
struct PipeWireListing {
    std::vector<OutputDevice> devices;
    int syncSeq = 0;
    bool complete = false;
    bool failed = false;

    static void global(void* self, uint32_t /*id*/, uint32_t /*permissions*/, const char* type,
                       uint32_t /*version*/, const spa_dict* props) noexcept {
        auto& listing = *static_cast<PipeWireListing*>(self);
        if (props == nullptr || std::strcmp(type, PW_TYPE_INTERFACE_Node) != 0) {
            return;
        }
        const char* mediaClass = spa_dict_lookup(props, PW_KEY_MEDIA_CLASS);
        const char* name = spa_dict_lookup(props, PW_KEY_NODE_NAME);
        if (mediaClass != nullptr && name != nullptr &&
            std::strcmp(mediaClass, "Audio/Sink") == 0) {
            listing.devices.push_back(
                described(name, spa_dict_lookup(props, PW_KEY_NODE_DESCRIPTION)));
        }
    }

    static void done(void* self, uint32_t id, int seq) noexcept {
        auto& listing = *static_cast<PipeWireListing*>(self);
        if (id == PW_ID_CORE && seq == listing.syncSeq) {
            listing.complete = true;
        }
    }

    static void error(void* self, uint32_t id, int /*seq*/, int /*res*/,
                      const char* /*message*/) noexcept {
        if (id == PW_ID_CORE) {
            static_cast<PipeWireListing*>(self)->failed = true;
        }
    }
};

bool listThroughPipeWire(Clock::time_point deadline, std::vector<OutputDevice>& devices) {
    static std::once_flag once;
    std::call_once(once, [] { pw_init(nullptr, nullptr); });
    pw_loop* loop = pw_loop_new(nullptr);
    if (loop == nullptr) {
        return false;
    }
    PipeWireListing listing;
    pw_context* context = pw_context_new(loop, nullptr, 0);
    pw_core* core = context != nullptr ? pw_context_connect(context, nullptr, 0) : nullptr;
    if (core != nullptr) {
        pw_registry_events registryEvents{};
        registryEvents.version = PW_VERSION_REGISTRY_EVENTS;
        registryEvents.global = &PipeWireListing::global;
        pw_core_events coreEvents{};
        coreEvents.version = PW_VERSION_CORE_EVENTS;
        coreEvents.done = &PipeWireListing::done;
        coreEvents.error = &PipeWireListing::error;
        spa_hook coreHook{};
        spa_hook registryHook{};
        // The macros cast the C way.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wold-style-cast"
        pw_registry* registry = pw_core_get_registry(core, PW_VERSION_REGISTRY, 0);
        pw_core_add_listener(core, &coreHook, &coreEvents, &listing);
        if (registry != nullptr) {
            pw_registry_add_listener(registry, &registryHook, &registryEvents, &listing);
            listing.syncSeq = pw_core_sync(core, PW_ID_CORE, 0);
        }
#pragma GCC diagnostic pop
        pw_loop_enter(loop);
        while (registry != nullptr && !listing.complete && !listing.failed &&
               msLeft(deadline) > 0) {
            if (pw_loop_iterate(loop, msLeft(deadline)) < 0) {
                break;
            }
        }
        pw_loop_leave(loop);
        if (registry != nullptr) {
            spa_hook_remove(&registryHook);
            pw_proxy_destroy(reinterpret_cast<pw_proxy*>(registry));
        }
        spa_hook_remove(&coreHook);
        pw_core_disconnect(core);
    }
    if (context != nullptr) {
        pw_context_destroy(context);
    }
    pw_loop_destroy(loop);
    if (listing.complete) {
        devices = std::move(listing.devices);
    }
    return listing.complete;
}

}  // namespace

std::vector<OutputDevice> listOutputDevices() {
    const Clock::time_point deadline = Clock::now() + kAnswerTime;
    std::vector<OutputDevice> devices;
    if (!listThroughPulse(deadline, devices)) {
        listThroughPipeWire(deadline, devices);
    }
    return devices;
}

}  // namespace platform

#pragma once

#include <memory>

#include <cairo.h>
#include <gio/gio.h>

namespace pagrovix {

// One answer of the engine that may come after its wait has given up: the callback keeps what it
// needs alive on its own and only drops the late answer.
class EngineReply {
public:
    EngineReply() : state_(std::make_shared<State>()), cancellable_(g_cancellable_new()) {}
    ~EngineReply() {
        if (!Arrived()) {
            g_cancellable_cancel(cancellable_);
        }
        g_object_unref(cancellable_);
    }
    EngineReply(const EngineReply&) = delete;
    EngineReply& operator=(const EngineReply&) = delete;

    GCancellable* Cancellable() const { return cancellable_; }
    static void Callback(GObject*, GAsyncResult* result, gpointer data) {
        auto* state = static_cast<std::shared_ptr<State>*>(data);
        (*state)->result = G_ASYNC_RESULT(g_object_ref(result));
        delete state;
    }
    gpointer CallbackData() const { return new std::shared_ptr<State>(state_); }
    bool Arrived() const { return state_->result != nullptr; }
    GAsyncResult* Result() const { return state_->result; }

private:
    struct State {
        GAsyncResult* result = nullptr;
        ~State() {
            if (result) {
                g_object_unref(result);
            }
        }
    };
    std::shared_ptr<State> state_;
    GCancellable* cancellable_;
};

struct ErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
struct ObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct SurfaceDestroy {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};

}  // namespace pagrovix

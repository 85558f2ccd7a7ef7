// The view hook of a molecular dynamics run: the OpenGL view window implements it, tests and
// the headless program use a sink that only counts. The run opens the view, hands it each new
// frame from its worker or replay thread, and closes it from the dialog's thread.
#pragma once

#include <atomic>
#include <cstdint>

#include "app/event.h"

namespace md {

class FrameSink {
  public:
    virtual ~FrameSink() = default;
    // The dialog opens the view for `atom_count` atoms. During a replay the view sets
    // `frame_request` after drawing each frame to ask for the next one.
    virtual void open(int32_t atom_count, app::Event* frame_request) {
        (void)atom_count;
        (void)frame_request;
    }
    // From the worker or replay thread: x, y, z per atom (box units) and species per atom.
    // The arrays stay valid and unchanged until the run's buffers are freed or a new run starts.
    virtual void show_frame(const double* xyz, const int32_t* species, int32_t atom_count) = 0;
    // The dialog closes the view (after the thread that fed it has ended).
    virtual void close() {}
};

// A view without a window: counts frames and asks for the next one at once.
class ImmediateFrameSink : public FrameSink {
  public:
    void open(int32_t atom_count, app::Event* frame_request) override {
        (void)atom_count;
        request_ = frame_request;
        opened.fetch_add(1);
    }
    void show_frame(const double* xyz, const int32_t* species, int32_t atom_count) override {
        (void)xyz;
        (void)species;
        (void)atom_count;
        frames.fetch_add(1);
        if (app::Event* r = request_.load()) r->set();
    }
    void close() override {
        request_ = nullptr;
        closed.fetch_add(1);
    }

    std::atomic<int> frames{0};
    std::atomic<int> opened{0};
    std::atomic<int> closed{0};

  private:
    std::atomic<app::Event*> request_{nullptr};
};

}  // namespace md

// What one benchmark run leaves behind: its state, an error text, the headline figure, named
// figures (tables, energies, decks) and its progress. The suite, the CLI's progress line, the
// results file and the dialogs read records; workers write them from their own thread, so
// every access takes the record's small lock.
#pragma once

#include <mutex>
#include <string>

#include <nlohmann/json.hpp>

namespace app {

enum class RunStatus { NotRun, Running, Completed, Failed, Stopped };

const char* run_status_name(RunStatus s);

struct RunProgress {
    std::string phase;  // "Step", "Iteration", "L2 bandwidth", ...
    long position = 0;
    long range = 0;
};

class RunRecord {
  public:
    RunRecord() = default;
    RunRecord(const RunRecord& other);
    RunRecord& operator=(const RunRecord& other);

    // A new run: status Running, no error, no figures, no progress.
    void begin();
    void complete();
    void fail(std::string error);
    void stop(std::string reason = {});

    RunStatus status() const;
    std::string error() const;
    // True when the run completed and its headline is positive and finite: the only runs the
    // suite scores.
    bool scorable() const;

    void set_headline(std::string name, double value);
    std::string headline_name() const;
    double headline() const;

    // Named figures, laid out as the results file prints them ("deck", "atoms", tables...).
    void set_figure(const std::string& name, nlohmann::json value);
    void merge_figures(const nlohmann::json& object);
    nlohmann::json figures() const;
    nlohmann::json figure(const std::string& name) const;  // null when absent

    void set_progress(std::string phase, long position, long range);
    void set_progress_position(long position);
    RunProgress progress() const;

    // Everything as one JSON object: status, error, headline, figures, progress.
    nlohmann::json to_json() const;

  private:
    mutable std::mutex mutex_;
    RunStatus status_ = RunStatus::NotRun;
    std::string error_;
    std::string headline_name_;
    double headline_ = 0.0;
    nlohmann::json figures_ = nlohmann::json::object();
    RunProgress progress_;
};

}  // namespace app

#pragma once

#include <QString>
#include <QStringList>

#include <deque>
#include <memory>
#include <mutex>

// One question or notice for the user: a title, a message and up to three
// buttons in the order default, alternate, other.
struct AlertRequest
{
    QString title;
    QString message;
    QString defaultButton;
    QString alternateButton; // empty: no such button
    QString otherButton;     // empty: no such button

    bool operator==(const AlertRequest &) const = default;
};

// The one way alerts and questions reach the user. The window installs its own
// presenter; headless code and tests use the ones below. `run` answers 1 for
// the default button, 0 for the alternate and -1 for the other. A presenter is
// called on the main thread only.
class AlertPresenter
{
public:
    virtual ~AlertPresenter() = default;
    virtual int run(const AlertRequest &request) = 0;

    // The presenter in use (a headless one until another is installed). The
    // installed presenter is not owned; install nullptr to return to the default.
    static AlertPresenter &current();
    static void install(AlertPresenter *presenter);

    // Shorthand: shows the request through the current presenter.
    static int show(const AlertRequest &request);
};

// Answers every alert with the default button and writes it to the log.
class HeadlessAlertPresenter final : public AlertPresenter
{
public:
    int run(const AlertRequest &request) override;
};

// Answers alerts from a script, in order, and records every request. When the
// script runs out it answers `fallback`. Installs itself for its lifetime.
class ScriptedAlertPresenter final : public AlertPresenter
{
public:
    explicit ScriptedAlertPresenter(std::deque<int> answers = {}, int fallback = 1);
    ~ScriptedAlertPresenter() override;
    ScriptedAlertPresenter(const ScriptedAlertPresenter &) = delete;
    ScriptedAlertPresenter &operator=(const ScriptedAlertPresenter &) = delete;

    int run(const AlertRequest &request) override;
    std::vector<AlertRequest> requests() const;

private:
    mutable std::mutex m_mutex; // guards m_answers and m_requests
    std::deque<int> m_answers;
    std::vector<AlertRequest> m_requests;
    int m_fallback;
    AlertPresenter *m_previous;
};

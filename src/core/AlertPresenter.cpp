#include "core/AlertPresenter.h"

#include <QDebug>

#include <atomic>

namespace {

HeadlessAlertPresenter &headless()
{
    static HeadlessAlertPresenter instance;
    return instance;
}

std::atomic<AlertPresenter *> installed{nullptr};

} // namespace

AlertPresenter &AlertPresenter::current()
{
    AlertPresenter *presenter = installed.load();
    return presenter ? *presenter : headless();
}

void AlertPresenter::install(AlertPresenter *presenter)
{
    installed.store(presenter);
}

int AlertPresenter::show(const AlertRequest &request)
{
    return current().run(request);
}

int HeadlessAlertPresenter::run(const AlertRequest &request)
{
    qWarning().noquote() << request.title << u':' << request.message;
    return 1;
}

ScriptedAlertPresenter::ScriptedAlertPresenter(std::deque<int> answers, int fallback)
    : m_answers(std::move(answers)), m_fallback(fallback), m_previous(installed.load())
{
    install(this);
}

ScriptedAlertPresenter::~ScriptedAlertPresenter()
{
    install(m_previous);
}

int ScriptedAlertPresenter::run(const AlertRequest &request)
{
    std::lock_guard lock(m_mutex);
    m_requests.push_back(request);
    if (m_answers.empty())
        return m_fallback;
    const int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

std::vector<AlertRequest> ScriptedAlertPresenter::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

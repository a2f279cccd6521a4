#include "cli/Pipeline.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <initializer_list>
#include <pthread.h>
#include <utility>

namespace Checker {

namespace {

unsigned environment(const char* name, unsigned otherwise)
{
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0')
        return otherwise;
    return unsigned(std::strtoul(value, nullptr, 10));
}

} // namespace

Pipeline::Pipeline(const Rules& rules, Writer writer)
    : m_rules(rules), m_writer(std::move(writer)),
      // The reading thread takes a core of its own.
      m_threads(environment("QUORVANE_CHECK_THREADS",
                            std::max(1u, std::thread::hardware_concurrency()) - 1))
{}

Pipeline::~Pipeline()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_work.notify_all();
    for (std::thread& worker : m_workers)
        worker.join();
}

size_t Pipeline::blockBytes()
{
    return std::max(1u, environment("QUORVANE_CHECK_BLOCK", 128 * 1024));
}

// The workers take no signal: it is for the reading thread, whose waits for
// input and output it cuts short.
void Pipeline::start()
{
    sigset_t interruptions, before;
    sigemptyset(&interruptions);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&interruptions, signal);
    pthread_sigmask(SIG_BLOCK, &interruptions, &before);
    for (unsigned k = 0; k < m_threads; ++k)
        m_workers.emplace_back([this] { work(); });
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

void Pipeline::work()
{
    std::unique_lock lock(m_mutex);
    while (true) {
        m_work.wait(lock, [this] { return m_stop || !m_queue.empty(); });
        if (m_stop)
            return;
        runOne(lock);
    }
}

void Pipeline::runOne(std::unique_lock<std::mutex>& lock)
{
    Job* const job = m_queue.front();
    m_queue.pop_front();
    lock.unlock();
    if (job->block) {
        job->block->check(m_rules);
    } else {
        try {
            job->task();
        } catch (...) {
            job->failure = std::current_exception();
        }
    }
    lock.lock();
    job->done = true;
    m_checked.notify_all();
}

// A thread that waits for the block at the front checks others meanwhile.
void Pipeline::waitForFront(std::unique_lock<std::mutex>& lock)
{
    while (!m_pending.front().done) {
        if (!m_queue.empty())
            runOne(lock);
        else
            m_checked.wait(lock);
    }
}

size_t Pipeline::pendingCount()
{
    const std::lock_guard lock(m_mutex);
    return m_pending.size();
}

void Pipeline::submit(std::unique_ptr<Block> block)
{
    if (m_threads == 0) {
        block->check(m_rules);
        write(std::move(block));
        return;
    }
    if (m_workers.empty())
        start();
    {
        const std::lock_guard lock(m_mutex);
        m_pending.push_back({std::move(block), {}, nullptr, false});
        m_queue.push_back(&m_pending.back());
    }
    m_work.notify_one();
    writeChecked(false);
    // Memory stays bounded: the reader waits for the writer.
    while (pendingCount() > 2 * m_threads + 2) {
        {
            std::unique_lock lock(m_mutex);
            waitForFront(lock);
        }
        writeChecked(false);
    }
}

void Pipeline::finish(std::unique_ptr<Block> last)
{
    if (m_workers.empty()) {
        last->check(m_rules);
        write(std::move(last));
        return;
    }
    submit(std::move(last));
    writeChecked(true);
}

void Pipeline::startAll(Tasks& started, const std::vector<std::function<void()>>& tasks)
{
    if (m_workers.empty() && m_threads > 0 && tasks.size() > 1)
        start();
    const std::lock_guard lock(m_mutex);
    for (const std::function<void()>& task : tasks) {
        started.push_back({nullptr, task, nullptr, false});
        if (!m_workers.empty())
            m_queue.push_back(&started.back());
    }
    m_work.notify_all();
}

void Pipeline::waitAll(Tasks& started)
{
    std::unique_lock lock(m_mutex);
    if (m_workers.empty()) {
        lock.unlock();
        for (Job& job : started) {
            try {
                job.task();
            } catch (...) {
                job.failure = std::current_exception();
            }
        }
    } else {
        // This thread takes its share of them too (and of whatever else waits).
        while (!m_queue.empty())
            runOne(lock);
        m_checked.wait(lock, [&started] {
            return std::all_of(started.begin(), started.end(),
                               [](const Job& job) { return job.done; });
        });
        lock.unlock();
    }
    const Tasks done = std::exchange(started, Tasks());
    for (const Job& job : done) {
        if (job.failure)
            std::rethrow_exception(job.failure);
    }
}

void Pipeline::runAll(const std::vector<std::function<void()>>& tasks)
{
    Tasks started;
    startAll(started, tasks);
    waitAll(started);
}

void Pipeline::writeChecked(bool wait)
{
    while (true) {
        std::unique_ptr<Block> block;
        {
            std::unique_lock lock(m_mutex);
            if (m_pending.empty())
                return;
            if (wait)
                waitForFront(lock);
            else if (!m_pending.front().done)
                return;
            block = std::move(m_pending.front().block);
            m_pending.pop_front();
        }
        write(std::move(block));
    }
}

std::unique_ptr<Block> Pipeline::fresh()
{
    if (m_free.empty())
        return std::make_unique<Block>();
    std::unique_ptr<Block> block = std::move(m_free.back());
    m_free.pop_back();
    return block;
}

void Pipeline::write(std::unique_ptr<Block> block)
{
    if (block->failure)
        std::rethrow_exception(block->failure);
    m_writer(*block);
    block->clear();
    m_free.push_back(std::move(block));
}

} // namespace Checker

#pragma once

#include "cli/Block.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace Checker {

// Checks the blocks of a run on worker threads while the reader goes on, and
// hands each back to the writer, on the thread that reads, in input order.
// An input of one block is checked on that thread alone: no worker starts
// before a second block comes.
//
// Two environment variables, for tests that compare a run on many blocks
// with one on a single thread, set the sizes (unset: as the machine has):
//   QUORVANE_CHECK_THREADS  the worker threads (unset: one less than the
//                           cores); 0 checks every block on the reading
//                           thread
//   QUORVANE_CHECK_BLOCK    the bytes of codes in a block
class Pipeline
{
public:
    using Writer = std::function<void(Block& block)>;

    Pipeline(const Rules& rules, Writer writer);
    ~Pipeline();
    Pipeline(const Pipeline&) = delete;
    Pipeline& operator=(const Pipeline&) = delete;

    // The bytes of codes a block is given before it is handed on.
    static size_t blockBytes();

    // An empty block to fill: one written before, when there is one.
    std::unique_ptr<Block> fresh();

    // A full block, with more to come.
    void submit(std::unique_ptr<Block> block);
    // The last block: every block is written when this returns.
    void finish(std::unique_ptr<Block> last);

    // Whether every block handed on has been written.
    bool idle() { return pendingCount() == 0; }
    // Writes a block checked on this thread, when idle().
    void writeChecked(std::unique_ptr<Block> block) { write(std::move(block)); }

    struct Job
    {
        std::unique_ptr<Block> block; // checked, or else
        std::function<void()> task;   // run
        std::exception_ptr failure;   // of the task
        bool done = false;
    };
    // Tasks handed on and not yet waited for.
    using Tasks = std::deque<Job>;

    // Hands the tasks to the workers (which start for more than one task) and
    // returns; `started` holds them until waitAll.
    void startAll(Tasks& started, const std::vector<std::function<void()>>& tasks);
    // Runs those of the tasks no worker has taken on this thread, and waits
    // for all of them; rethrows the first failure, in the order of the tasks.
    void waitAll(Tasks& started);
    // Both in one.
    void runAll(const std::vector<std::function<void()>>& tasks);

private:
    void start();
    void work();
    // Runs the job at the front of the queue; `lock` holds the mutex.
    void runOne(std::unique_lock<std::mutex>& lock);
    void waitForFront(std::unique_lock<std::mutex>& lock);
    // Writes the blocks checked at the front; with `wait`, every one.
    void writeChecked(bool wait);
    void write(std::unique_ptr<Block> block);
    size_t pendingCount();

    const Rules m_rules;
    Writer m_writer;
    unsigned m_threads;
    std::vector<std::thread> m_workers;
    std::deque<Job> m_pending;                  // in input order; only the reading thread
    std::deque<Job*> m_queue;                   // not yet taken by a worker
    std::vector<std::unique_ptr<Block>> m_free; // written, for reuse
    std::mutex m_mutex;
    std::condition_variable m_work, m_checked;
    bool m_stop = false;
};

} // namespace Checker

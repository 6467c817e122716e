#include "tiling/square_feed.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

namespace orvanta {
namespace {

// Rows read at a time: a whole number of 256 tiles and of 1024 pieces, so that each strip
// completes files of the full-resolution levels and frees its rows at once.
constexpr int kStripRows = 1024;

// The squares being cut, their strips waiting, and the workers that cut and write them.
class SquareWork {
  public:
    explicit SquareWork(int jobs) {
        for (int j = 0; j < std::max(1, jobs); ++j)
            workers_.emplace_back([this] { work(); });
    }
    ~SquareWork() {
        {
            const std::lock_guard lock(mutex_);
            quitting_ = true;
        }
        changed_.notify_all();
        for (std::thread& worker : workers_)
            worker.join();
    }
    SquareWork(const SquareWork&) = delete;
    SquareWork& operator=(const SquareWork&) = delete;

    void begin(int k, SquareCut cut) {
        const std::lock_guard lock(mutex_);
        squares_[k].cut = std::move(cut);
    }
    void fail(int k, std::exception_ptr error) {
        const std::lock_guard lock(mutex_);
        Square& square = squares_[k];
        square.error = std::move(error);
    }

    // Hands square k its rows of strip `strip`; `last` when they are its last.
    void give(int k, const PixelImage& rows, int strip, bool last) {
        const std::lock_guard lock(mutex_);
        Square& square = squares_[k];
        square.strips.push_back({rows, strip, last});
        ++stripTasks_[strip];
        ++square.outstanding;
        if (!square.feeding) {
            square.feeding = true;
            post(k, square.strips.front().strip, [this, k] { feedNext(k); });
        }
    }

    // Waits until every task of strips up to `strip` has ended.
    void waitForStrip(int strip) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] {
            return std::all_of(stripTasks_.begin(), stripTasks_.upper_bound(strip),
                               [](const auto& entry) { return entry.second == 0; });
        });
    }

    // Stops every write not yet started, and waits for the work started.
    void stop() {
        std::unique_lock lock(mutex_);
        stopping_ = true;
        changed_.wait(lock, [&] { return idle(); });
    }

    // Hands the squares that ended, from `next` on in order, to `done`; returns the next one
    // still to hand. With `all`, waits for every square up to `end`.
    int handEnded(int next, int end, bool all,
                  const std::function<void(int, std::exception_ptr)>& done) {
        for (; next < end; ++next) {
            std::exception_ptr error;
            {
                std::unique_lock lock(mutex_);
                if (all)
                    changed_.wait(lock, [&] { return ended(next) || (stopping_ && idle()); });
                if (!ended(next) || squares_[next].cutShort)
                    return next;
                error = squares_[next].error;
                squares_.erase(next);
            }
            done(next, error);
        }
        return next;
    }

  private:
    struct Strip {
        std::optional<PixelImage> rows;
        int strip = 0;
        bool last = false;
    };
    struct Square {
        SquareCut cut;
        std::deque<Strip> strips;
        bool feeding = false;   // a task feeds its strips
        bool fed = false;       // its last strip was fed
        bool cutShort = false;  // work of it was left undone when the feed stopped
        int outstanding = 0;    // strips and writes not yet ended
        std::exception_ptr error;
    };
    struct Task {
        int strip = 0;
        int k = 0;
        std::function<void()> run;
    };

    bool ended(int k) {
        const auto square = squares_.find(k);
        return square != squares_.end() && square->second.fed && square->second.outstanding == 0;
    }
    bool idleQueues() const { return writes_.empty() && feeds_.empty(); }
    bool idle() const { return running_ == 0 && idleQueues(); }

    // Called under the lock.
    void post(int k, int strip, std::function<void()> run, bool write = false) {
        (write ? writes_ : feeds_).push_back({strip, k, std::move(run)});
        changed_.notify_all();
    }

    // Feeds square k its next strip, and posts the writes that completes.
    void feedNext(int k) {
        Strip strip;
        SquareCut* cut = nullptr;
        bool skip = false;
        {
            const std::lock_guard lock(mutex_);
            Square& square = squares_.at(k);
            strip = square.strips.front();
            square.strips.pop_front();
            cut = &square.cut;
            skip = stopping_ || square.error;
        }
        std::vector<TileWrite> writes;
        std::exception_ptr error;
        if (!skip) {
            try {
                writes = cut->feed(*strip.rows);
                if (strip.last && cut->finish)
                    cut->finish();
            } catch (...) {
                error = std::current_exception();
            }
        }
        strip.rows.reset();  // the strip's rows are free once its writes are done with them
        const std::lock_guard lock(mutex_);
        Square& square = squares_.at(k);
        square.cutShort = square.cutShort || (skip && !square.error);
        if (error && !square.error)
            square.error = error;
        for (TileWrite& write : writes) {
            ++square.outstanding;
            ++stripTasks_[strip.strip];
            post(
                k, strip.strip, [this, k, write = std::move(write)] { writeFile(k, write); }, true);
        }
        if (strip.last)
            square.fed = true;
        if (!square.strips.empty())
            post(k, square.strips.front().strip, [this, k] { feedNext(k); });
        else
            square.feeding = false;
    }

    void writeFile(int k, const TileWrite& write) {
        {
            const std::lock_guard lock(mutex_);
            Square& square = squares_.at(k);
            if (stopping_ && !square.error)
                square.cutShort = true;
            if (stopping_ || square.error)
                return;
        }
        try {
            write();
        } catch (...) {
            const std::lock_guard lock(mutex_);
            Square& square = squares_.at(k);
            if (!square.error)
                square.error = std::current_exception();
        }
    }

    void work() {
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [&] { return quitting_ || !idleQueues(); });
            if (idleQueues())
                return;
            // Writes first: the rows a piece made for its files go as soon as they are
            // written, so that only the pieces in work hold such rows, not every piece of the
            // strip at once.
            std::deque<Task>& queue = writes_.empty() ? feeds_ : writes_;
            Task task = std::move(queue.front());
            queue.pop_front();
            ++running_;
            lock.unlock();
            task.run();
            task.run = nullptr;  // frees what the task held before it counts as ended
            lock.lock();
            --running_;
            --stripTasks_[task.strip];
            --squares_.at(task.k).outstanding;
            changed_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<int, Square> squares_;
    std::map<int, int> stripTasks_;  // tasks of each strip not yet ended
    std::deque<Task> writes_, feeds_;
    int running_ = 0;
    bool stopping_ = false;
    bool quitting_ = false;
    std::vector<std::thread> workers_;
};

// Rows `top` to `top + rows` of the source padded to `width`, or the background below it.
PixelImage stripAt(const PixelImage& source, int top, int rows, int width, Rgb background) {
    const int inSource = std::min(rows, source.height() - top);
    if (inSource <= 0)
        return PixelImage::filled(width, rows, background, source.hasAlpha());
    const PixelImage read = source.region(0, top, source.width(), inSource).inMemory();
    if (read.width() == width && inSource == rows)
        return read;
    return read.padded(width, rows, background);
}

}  // namespace

void feedSquares(const PixelImage& source, const SquareFeedSettings& settings,
                 const std::function<SquareCut(int k)>& start,
                 const std::function<void(int k, std::exception_ptr error)>& done,
                 const std::function<void()>& between) {
    const int edge = settings.edge;
    const int stripRows = std::min(kStripRows, edge);
    const int columns = settings.grid.columns;
    const int squares = columns * settings.grid.rows;
    SquareWork work(settings.jobs);
    int handed = 0;
    try {
        int strip = 0;
        for (int band = 0; band < settings.grid.rows; ++band) {
            for (int row = 0; row < edge; row += stripRows, ++strip) {
                for (int c = 0; c < columns && row == 0; ++c) {
                    const int k = band * columns + c;
                    try {
                        work.begin(k, start(k));
                    } catch (...) {
                        work.fail(k, std::current_exception());
                    }
                }
                // At most this strip and the one before are held.
                work.waitForStrip(strip - 2);
                const PixelImage rows = stripAt(source, band * edge + row, stripRows,
                                                columns * edge, settings.background);
                const bool last = row + stripRows >= edge;
                for (int c = 0; c < columns; ++c) {
                    work.give(band * columns + c, rows.region(c * edge, 0, edge, stripRows), strip,
                              last);
                }
                handed = work.handEnded(handed, squares, false, done);
                if (between)
                    between();
            }
        }
    } catch (...) {
        work.stop();
        work.handEnded(handed, squares, false, done);
        throw;
    }
    work.handEnded(handed, squares, true, done);
}

}  // namespace orvanta

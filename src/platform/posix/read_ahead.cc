// The workers that list folders ahead of the POSIX walk, and the hand-over of their listings.
#include "platform/posix/read_ahead.h"

#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <list>
#include <string>
#include <thread>
#include <utility>

#include "platform/posix/ending_signals.h"
#include "platform/posix/folder_identity.h"
#include "platform/posix/text.h"

// A descriptor the workers hold for the subfolders still to be opened against it.
struct AheadDescriptor {
  AheadDescriptor(int descriptor, ReadAhead& ahead) : fd(descriptor), owner(ahead) {}
  ~AheadDescriptor() {
    close(fd);
    owner.ReleaseDescriptor();
  }
  const int fd;
  ReadAhead& owner;
};

// One folder offered to the workers. The mutex of its ReadAhead guards every change of `state`
// (atomic only so that the walk may watch it without the lock) and `subfolders`; the rest
// belongs to whoever set the state to kListing (a worker) or kTaken (the walk).
struct AheadFolder {
  enum State { kOffered, kListing, kReady, kFailed, kTaken };

  AheadFolder(ReadAhead::Window& ahead, State first) : window(ahead), state(first) {}
  ~AheadFolder() { MarkTaken(); }
  // From when a worker starts listing it until the walk takes it (or lets it go), it counts in
  // the window of listings the workers hold ahead of the walk. False when it is no longer
  // offered.
  bool MarkListing() {
    State offered = kOffered;
    if (!state.compare_exchange_strong(offered, kListing)) return false;
    ++window.listings;
    is_counted = true;
    return true;
  }
  // Once listed, its storage counts in the window too.
  void MarkListed() {
    held_bytes = listing.HeldBytes();
    window.bytes += held_bytes;
  }
  void MarkTaken() {
    if (is_counted) {
      --window.listings;
      window.bytes -= held_bytes;
    }
    is_counted = false;
    held_bytes = 0;
    state = kTaken;
  }

  ReadAhead::Window& window;
  bool is_counted = false;
  size_t held_bytes = 0;
  std::atomic<State> state;
  // Its place among the folders offered, while it has one; its subfolders take it when offered.
  std::list<AheadPlace>::iterator place;
  bool has_place = false;
  size_t index = 0;            // in its parent's listing
  size_t depth = 0;            // the root's is 0
  std::string name;            // native, in its parent
  uint64_t parent_volume = 0;  // a folder on another device is left to the walk
  FolderIdentity known;        // as the parent's listing saw it, when it looked
  bool is_known = false;
  std::shared_ptr<AheadDescriptor> base;  // the parent's, until this one is opened
  FolderIdentity identity;                // as the worker's descriptor tells it
  bool with_info = false;
  FolderListing listing;
  bool has_offered = false;  // its subfolders were offered (or none could be)
  std::vector<std::shared_ptr<AheadFolder>> subfolders;  // by index
};

// How many times the walk looks at a folder being read before it waits to be woken.
constexpr int kWatchRounds = 20;

// How often a worker waiting for the walk to take listings looks at the window again.
constexpr std::chrono::milliseconds kWindowRecheck(2);

// How often the walk steers how many workers read at once.
constexpr std::chrono::microseconds kSteerEvery(20000);

// The C library gives each thread a memory arena of its own, and each keeps what its thread's
// largest listings needed: some 2 MB a thread, so that the memory of a chart written as the walk
// goes would grow with the threads. The workers share a few arenas instead (one for every two
// cores, two at least), which measured no slower here.
namespace {

size_t ProcessorCount() { return std::max(1u, std::thread::hardware_concurrency()); }

void ShareMallocArenas() {
#ifdef M_ARENA_MAX
  const unsigned cores = std::thread::hardware_concurrency();
  mallopt(M_ARENA_MAX, static_cast<int>(std::max(2u, cores / 2)));
#endif
}

}  // namespace

// What a worker owns: a converter (iconv handles are not shared) and a reader with its buffer.
struct ReadAhead::Worker {
  Worker(int64_t utc_offset_seconds, ListedCounts& counts)
      : reader(converter, utc_offset_seconds), listed(counts) {}
  TextConverter converter;
  FolderReader reader;
  ListedCounts& listed;
};

ReadAhead::ReadAhead(size_t threads, int64_t utc_offset_seconds, size_t descriptors,
                     std::function<void()> pause)
    : utc_offset_seconds_(utc_offset_seconds),
      most_descriptors_(std::max<size_t>(descriptors, 1)),
      most_opening_(most_descriptors_ + threads),
      worker_count_(threads),
      pause_(std::move(pause)),
      counts_(std::make_unique<ListedCounts[]>(threads + 1)),
      active_limit_(threads),
      least_active_(threads) {
  // Workers start with small stacks, as they only read listings. One that cannot be started
  // (scarce memory, a limit on threads) is simply not there: the walk reads what no worker has
  // started, so the run goes on with fewer threads rather than ending.
  ShareMallocArenas();
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) return;
  pthread_attr_setstacksize(&attributes, kWorkerStackBytes);
  const EndingSignalsBlocked blocked;  // the workers inherit the mask: Ctrl-C is the chart's
  for (size_t i = 0; i < threads; ++i) {
    pthread_t thread;
    const auto start = [](void* self) -> void* {
      static_cast<ReadAhead*>(self)->RunWorker();
      return nullptr;
    };
    if (pthread_create(&thread, &attributes, start, this) != 0) break;
    threads_.push_back(thread);
  }
  pthread_attr_destroy(&attributes);
}

ReadAhead::~ReadAhead() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    is_stopping_ = true;
  }
  work_offered_.notify_all();
  more_wanted_.notify_all();
  for (pthread_t thread : threads_) pthread_join(thread, nullptr);
  pending_.clear();
}

void ReadAhead::SetReading(const AheadReading& reading) {
  std::lock_guard<std::mutex> lock(mutex_);
  reading_ = reading;
  window_.most_bytes = reading.most_ahead_bytes;
}

std::shared_ptr<AheadFolder> ReadAhead::NewEntered(size_t depth) {
  auto folder = std::make_shared<AheadFolder>(window_, AheadFolder::kTaken);
  folder->depth = depth;
  return folder;
}

std::shared_ptr<AheadFolder> ReadAhead::FindSubfolder(const AheadFolder& parent,
                                                      size_t index) const {
  // The parent is the walk's (kTaken): no worker changes its subfolders any more.
  const auto found = std::lower_bound(parent.subfolders.begin(), parent.subfolders.end(), index,
                                      [](const std::shared_ptr<AheadFolder>& folder,
                                         size_t wanted) { return folder->index < wanted; });
  if (found == parent.subfolders.end() || (*found)->index != index) return nullptr;
  return *found;
}

void ReadAhead::SetSteered(bool is_steered) {
  const size_t limit =
      is_steered ? std::min<size_t>(worker_count_, ProcessorCount()) : worker_count_;
  least_active_ = limit;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    active_limit_ = limit;
  }
  more_wanted_.notify_all();
}

size_t SteeredLimit(size_t limit, size_t least, size_t most, bool read_from_disk) {
  return std::clamp(read_from_disk ? limit * 2 : limit / 2, least, most);
}

bool ReadsFromDisk(uint64_t blocks, uint64_t folders) { return blocks > 0 && blocks >= folders; }

// Measured every kSteerEvery on the blocks the process read from the disk, which getrusage sums
// over its threads, against the folders listed meanwhile.
void ReadAhead::Steer() {
  if (least_active_ >= worker_count_) return;
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
  const int64_t now_us = static_cast<int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
  if (now_us - steered_at_us_ < kSteerEvery.count()) return;
  steered_at_us_ = now_us;
  rusage usage{};
  if (getrusage(RUSAGE_SELF, &usage) != 0) return;
  uint64_t folders = 0;
  uint64_t files = 0;
  CountListed(folders, files);
  const bool read_from_disk = ReadsFromDisk(static_cast<uint64_t>(usage.ru_inblock - blocks_read_),
                                            folders - folders_listed_);
  blocks_read_ = usage.ru_inblock;
  folders_listed_ = folders;
  std::unique_lock<std::mutex> lock(mutex_);
  const size_t was = active_limit_;
  active_limit_ = SteeredLimit(was, least_active_, worker_count_, read_from_disk);
  const bool is_more = active_limit_ > was;
  lock.unlock();
  if (is_more) more_wanted_.notify_all();
}

// While a worker reads the folder the walk wants, the walk reads the next one offered itself, as
// a worker would: it has nothing else to do, and with one worker it would else wait on the very
// folder that worker reads, at each folder. Then a folder being read is mostly read within
// microseconds: watching it a while spares the walk falling asleep and being woken for nearly
// every folder. Mostly it is read already, and the walk takes no lock at all: what the worker
// wrote comes before its state.
bool ReadAhead::WaitWhileListing(AheadFolder& folder) {
  while (folder.state.load() == AheadFolder::kListing && ListNextOffered()) {
  }
  for (int i = 0; i < kWatchRounds && folder.state.load() == AheadFolder::kListing; ++i) {
    std::this_thread::yield();
  }
  if (folder.state.load() == AheadFolder::kListing) {
    std::unique_lock<std::mutex> lock(mutex_);
    folder_done_.wait(lock, [&folder] { return folder.state != AheadFolder::kListing; });
  }
  return folder.state.load() == AheadFolder::kReady;
}

bool ReadAhead::IsReady(AheadFolder& folder, bool with_info, FolderIdentity& identity) {
  if (!WaitWhileListing(folder) || folder.with_info != with_info) return false;
  identity = folder.identity;
  return true;
}

bool ReadAhead::HasOffered(const AheadFolder& folder) const { return folder.has_offered; }

bool ReadAhead::TakeListing(AheadFolder& folder, const FolderIdentity& identity, bool with_info,
                            FolderListing& listing) {
  // An offered folder no worker has started is the walk's from now on; one being read is the
  // walk's once read.
  Steer();
  AheadFolder::State state = AheadFolder::kOffered;
  if (folder.state.compare_exchange_strong(state, AheadFolder::kTaken)) return false;
  const bool is_ready = WaitWhileListing(folder);
  const bool was_window_full = window_.IsFull();
  folder.MarkTaken();
  if (was_window_full) work_offered_.notify_one();
  if (!is_ready) return false;
  // Another folder than the walk's (replaced in between), or read otherwise: read again.
  if (folder.identity != identity || folder.with_info != with_info) {
    DropSubfolders(folder);
    folder.has_offered = false;
    return false;
  }
  std::swap(listing, folder.listing);
  KeepSpare(folder.listing);
  return true;
}

void ReadAhead::KeepSpare(FolderListing& listing) {
  listing.Recycle();
  std::lock_guard<std::mutex> lock(spare_mutex_);
  if (spare_listings_.size() < kMostSpare) spare_listings_.push_back(std::move(listing));
}

void ReadAhead::TakeSpare(FolderListing& listing) {
  std::lock_guard<std::mutex> lock(spare_mutex_);
  if (spare_listings_.empty()) return;
  std::swap(listing, spare_listings_.back());
  spare_listings_.pop_back();
}

void ReadAhead::OfferSubfolders(AheadFolder& folder, const FolderListing& listing, int fd,
                                uint64_t volume) {
  if (folder.has_offered) return;
  folder.has_offered = true;
  if (!AcquireDescriptor(most_descriptors_)) return;
  const int copy = fcntl(fd, F_DUPFD_CLOEXEC, 0);
  if (copy < 0) {
    ReleaseDescriptor();
    return;
  }
  AheadReading reading;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    reading = reading_;
  }
  const auto base = std::make_shared<AheadDescriptor>(copy, *this);
  auto subfolders = MakeSubfolders(folder, listing, base, volume, reading);
  std::unique_lock<std::mutex> lock(mutex_);
  const size_t offered = PublishLocked(folder, std::move(subfolders));
  lock.unlock();
  NotifyOffered(offered);
}

void ReadAhead::Drop(std::shared_ptr<AheadFolder> folder) {
  if (folder) DropSubfolders(*folder);
}

// Lets go iteratively: a chain of prepared folders may be deep, and the stack is not. The folder
// is the walk's: no worker changes its subfolders, and most folders have none to let go.
void ReadAhead::DropSubfolders(AheadFolder& folder) {
  if (folder.subfolders.empty()) return;
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::shared_ptr<AheadFolder>> pending = std::move(folder.subfolders);
  folder.subfolders.clear();
  while (!pending.empty()) {
    std::shared_ptr<AheadFolder> next = std::move(pending.back());
    pending.pop_back();
    if (next->state == AheadFolder::kListing) continue;  // its worker lets go of it
    for (std::shared_ptr<AheadFolder>& sub : next->subfolders) pending.push_back(std::move(sub));
    next->subfolders.clear();
  }
}

void ReadAhead::NoteListed(const FolderListing& listing, ListedCounts& counts) {
  size_t files = listing.LeftOutFiles();
  for (const FolderEntry& entry : listing.Entries()) files += entry.IsFolder ? 0 : 1;
  // One writer: no read-modify-write needed, the progress line only reads.
  counts.folders.store(counts.folders.load(std::memory_order_relaxed) + 1,
                       std::memory_order_relaxed);
  counts.files.store(counts.files.load(std::memory_order_relaxed) + files,
                     std::memory_order_relaxed);
}

void ReadAhead::CountListed(uint64_t& folders, uint64_t& files) const {
  folders = 0;
  files = 0;
  for (size_t i = 0; i <= worker_count_; ++i) {
    folders += counts_[i].folders.load(std::memory_order_relaxed);
    files += counts_[i].files.load(std::memory_order_relaxed);
  }
}

bool ReadAhead::ListNextOffered() {
  std::unique_lock<std::mutex> lock(mutex_);
  std::shared_ptr<AheadFolder> folder = TakeFirstOffered();
  if (!folder) return false;
  const AheadReading reading = reading_;
  lock.unlock();
  if (!walk_worker_) walk_worker_ = std::make_unique<Worker>(utc_offset_seconds_, counts_[0]);
  const size_t offered = ListOne(lock, *walk_worker_, reading, *folder);
  lock.unlock();
  NotifyListed(offered);
  return true;
}

void ReadAhead::RunWorker() {
  Worker worker(utc_offset_seconds_, counts_[next_counts_.fetch_add(1)]);
  std::unique_lock<std::mutex> lock(mutex_);
  bool is_active = false;
  while (!is_stopping_) {
    if (!is_active) {
      if (active_workers_ >= active_limit_) {
        more_wanted_.wait(lock);
        continue;
      }
      ++active_workers_;
      is_active = true;
    }
    const uint64_t offers_seen = offers_;
    std::shared_ptr<AheadFolder> folder = TakeFirstOffered();
    if (folder) {
      ListFrom(lock, worker, std::move(folder), is_active);
      continue;
    }
    // A full window waits for the walk to take listings. The walk wakes a worker when it takes
    // one, not when it lets a prepared folder go, so the worker looks again now and then.
    if (window_.IsFull()) {
      work_offered_.wait_for(lock, kWindowRecheck);
      continue;
    }
    work_offered_.wait(lock, [&] { return is_stopping_ || offers_ != offers_seen; });
  }
}

// The first folder offered, in the walk's order, marked as being read; null when there is none,
// or the window is full.
std::shared_ptr<AheadFolder> ReadAhead::TakeFirstOffered() {
  auto it = pending_.begin();
  while (it != pending_.end() && !window_.IsFull()) {
    // One being read keeps its place for its subfolders until it is listed.
    if (it->is_listing) {
      ++it;
      continue;
    }
    std::shared_ptr<AheadFolder> next = it->folder.lock();
    // The walk may take an offered folder without the lock: whoever changes its state first has
    // it. One let go or taken gives its place up.
    if (next && next->MarkListing()) {
      it->is_listing = true;
      return next;
    }
    if (next) next->has_place = false;
    it = pending_.erase(it);
  }
  return nullptr;
}

// Lists `folder`, then the first folder offered after it, and so on while there is one and the
// worker keeps its place among those reading, with `lock` let go meanwhile. The next folder is
// taken in the same hold of the lock as the last one is handed over: the lock is the line every
// thread writes, and each hold of it moves that line between their cores.
void ReadAhead::ListFrom(std::unique_lock<std::mutex>& lock, Worker& worker,
                         std::shared_ptr<AheadFolder> folder, bool& is_active) {
  AheadReading reading = reading_;
  lock.unlock();
  while (folder) {
    const size_t offered = ListOne(lock, worker, reading, *folder);
    std::shared_ptr<AheadFolder> next;
    if (active_workers_ > active_limit_) {
      --active_workers_;
      is_active = false;
    } else if (!is_stopping_) {
      next = TakeFirstOffered();
      reading = reading_;
    }
    // Woken with the lock let go, the others need not wait for it.
    lock.unlock();
    NotifyListed(offered);
    folder = std::move(next);  // a folder the walk let go meanwhile ends here
  }
  lock.lock();
}

size_t ReadAhead::ListOne(std::unique_lock<std::mutex>& lock, Worker& worker,
                          const AheadReading& reading, AheadFolder& folder) {
  if (pause_) pause_();
  Offers subfolders;
  const bool is_listed = ListAhead(worker, reading, folder, subfolders);
  lock.lock();
  // The state and the subfolders change together: the walk reads the subfolders of a folder it
  // took without the lock.
  const size_t offered = PublishLocked(folder, std::move(subfolders));
  folder.state = is_listed ? AheadFolder::kReady : AheadFolder::kFailed;
  return offered;
}

void ReadAhead::NotifyListed(size_t offered) {
  folder_done_.notify_all();
  NotifyOffered(offered);
}

// Opens and reads `folder` as the walk would, and makes its subfolders' nodes while its
// descriptor is open. False when the walk must read it itself.
bool ReadAhead::ListAhead(Worker& worker, const AheadReading& reading, AheadFolder& folder,
                          Offers& subfolders) {
  worker.converter.SetUtf8(reading.is_utf8);
  if (reading.is_native_kept) worker.converter.KeepNative();
  worker.reader.SetLinkReading(reading.with_targets, reading.links_themselves);
  worker.reader.SetOwnReading(reading.with_own);
  const std::shared_ptr<AheadDescriptor> parent = std::move(folder.base);
  // A folder the parent's listing saw on another device is the walk's to judge: not even opened.
  if (folder.is_known && folder.known.Volume != folder.parent_volume) return false;
  // Each worker may open one folder beyond the workers' share: kept, its descriptor is counted
  // in the share below.
  if (!AcquireDescriptor(most_opening_)) return false;
  const int fd =
      openat(parent->fd, folder.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    ReleaseDescriptor();
    return false;
  }
  auto own = std::make_shared<AheadDescriptor>(fd, *this);
  // Known by the parent's look, the folder is taken for what that look saw, as the walk takes
  // it: O_NOFOLLOW made sure no link took its place since.
  folder.identity = folder.known;
  if (!folder.is_known && !ReadFolderIdentity(fd, folder.identity)) return false;
  if (folder.identity.Volume != folder.parent_volume) return false;
  folder.with_info = reading.with_info;
  TakeSpare(folder.listing);
  if (!worker.reader.Read(fd, false, reading.with_info, reading.with_files, reading.with_kinds,
                          folder.listing)) {
    return false;
  }
  folder.MarkListed();
  NoteListed(folder.listing, worker.listed);
  // Kept open for its subfolders only within the share; else the walk offers them when it gets
  // there.
  if (open_descriptors_.load() > most_descriptors_) return true;
  folder.has_offered = true;
  subfolders = MakeSubfolders(folder, folder.listing, own, folder.identity.Volume, reading);
  return true;
}

ReadAhead::Offers ReadAhead::MakeSubfolders(const AheadFolder& parent, const FolderListing& listing,
                                            const std::shared_ptr<AheadDescriptor>& base,
                                            uint64_t volume, const AheadReading& reading) {
  Offers subfolders;
  if (parent.depth + 1 >= reading.depth_limit) return subfolders;
  const std::vector<FolderEntry>& entries = listing.Entries();
  const auto is_offered = [](const FolderEntry& entry) { return entry.IsFolder && !entry.IsLink; };
  subfolders.folders.reserve(std::count_if(entries.begin(), entries.end(), is_offered));
  for (size_t i = 0; i < entries.size(); ++i) {
    if (!is_offered(entries[i])) continue;
    const char* name = listing.NativeName(i);
    if (!reading.dot_folders_wanted && name[0] == '.') continue;
    auto folder = std::make_shared<AheadFolder>(window_, AheadFolder::kOffered);
    folder->index = i;
    folder->depth = parent.depth + 1;
    folder->name = name;
    folder->parent_volume = volume;
    folder->is_known = listing.FolderStatId(i, folder->known);
    folder->base = base;
    folder->place = subfolders.places.insert(subfolders.places.end(), AheadPlace{folder});
    folder->has_place = true;
    subfolders.folders.push_back(std::move(folder));
  }
  return subfolders;
}

size_t ReadAhead::PublishLocked(AheadFolder& folder, Offers subfolders) {
  // The walk comes to a folder's subfolders right after the folder, before any folder offered
  // after it: they take its place. The walk's own folder had none, or gave it up: its subfolders
  // come first. Their places keep pointing at them when linked in.
  const auto where = folder.has_place ? folder.place : pending_.begin();
  pending_.splice(where, subfolders.places);
  if (folder.has_place) pending_.erase(folder.place);
  folder.has_place = false;
  const size_t count = subfolders.folders.size();
  if (count > 0) ++offers_;
  folder.subfolders = std::move(subfolders.folders);
  return count;
}

// Wakes as many waiting workers as there are new folders to read: waking them all for one folder
// would send all but one back to sleep.
void ReadAhead::NotifyOffered(size_t count) {
  if (count >= worker_count_) {
    work_offered_.notify_all();
    return;
  }
  for (size_t i = 0; i < count; ++i) work_offered_.notify_one();
}

bool ReadAhead::AcquireDescriptor(size_t most) {
  if (open_descriptors_.fetch_add(1) < most) return true;
  open_descriptors_.fetch_sub(1);
  return false;
}

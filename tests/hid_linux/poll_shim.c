/* Readiness for emulated hidraw nodes in tests. umockdev hands the program a
 * descriptor for a handler-backed node that poll() never reports readable,
 * although a non-blocking read() gets the handler's data. Preloaded in front
 * of umockdev's library, this shim answers poll() for the /dev/hidraw*
 * descriptors it saw opened: it reads ahead (non-blocking) into a buffer of
 * its own, reports the descriptor readable when that got a report, and hands
 * the buffered report to the next read(). Other descriptors pass through. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <stdarg.h>
#include <stdatomic.h>
#include <string.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

#define MAX_FDS 1024
#define MAX_REPORT 4096
/* How long the shim waits between looks at the emulated descriptors: short
 * against the tests' time limits, long enough not to spin a core. */
#define LOOK_INTERVAL_NS 1000000L

static pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
static atomic_char tracked[MAX_FDS];
static unsigned char ahead[MAX_FDS][MAX_REPORT];
static ssize_t aheadLength[MAX_FDS];

static void *next(const char *name) { return dlsym(RTLD_NEXT, name); }

static int is_tracked(int fd) {
  return fd >= 0 && fd < MAX_FDS && atomic_load(&tracked[fd]);
}


static int track(int fd, const char *path) {
  if (fd >= 0 && fd < MAX_FDS) {
    pthread_mutex_lock(&lock);
    aheadLength[fd] = 0;
    pthread_mutex_unlock(&lock);
    atomic_store(&tracked[fd], strncmp(path, "/dev/hidraw", 11) == 0);
  }
  return fd;
}

static int open_with(const char *name, const char *path, int flags, va_list ap) {
  mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(ap, mode_t) : 0;
  int (*real)(const char *, int, ...) = (int (*)(const char *, int, ...))next(name);
  return track(real(path, flags, mode), path);
}

int open(const char *path, int flags, ...) {
  va_list ap;
  va_start(ap, flags);
  int fd = open_with("open", path, flags, ap);
  va_end(ap);
  return fd;
}

int open64(const char *path, int flags, ...) {
  va_list ap;
  va_start(ap, flags);
  int fd = open_with("open64", path, flags, ap);
  va_end(ap);
  return fd;
}

int close(int fd) {
  if (fd >= 0 && fd < MAX_FDS) {
    atomic_store(&tracked[fd], 0);
    pthread_mutex_lock(&lock);
    aheadLength[fd] = 0;
    pthread_mutex_unlock(&lock);
  }
  return ((int (*)(int))next("close"))(fd);
}

ssize_t read(int fd, void *buf, size_t count) {
  ssize_t (*real)(int, void *, size_t) = (ssize_t (*)(int, void *, size_t))next("read");
  if (fd >= 0 && fd < MAX_FDS) {
    pthread_mutex_lock(&lock);
    ssize_t n = aheadLength[fd];
    if (is_tracked(fd) && n > 0) {
      if ((size_t)n > count) n = (ssize_t)count;
      memcpy(buf, ahead[fd], (size_t)n);
      aheadLength[fd] = 0;
      pthread_mutex_unlock(&lock);
      return n;
    }
    pthread_mutex_unlock(&lock);
  }
  return real(fd, buf, count);
}

/* 1 when fd is a tracked descriptor with a report read ahead. The read runs
 * without the lock: umockdev answers it on a thread of this same process,
 * which polls through this shim too. */
static int look_ahead(int fd) {
  ssize_t (*real)(int, void *, size_t) = (ssize_t (*)(int, void *, size_t))next("read");
  pthread_mutex_lock(&lock);
  int ready = aheadLength[fd] > 0;
  pthread_mutex_unlock(&lock);
  if (ready) return 1;
  unsigned char report[MAX_REPORT];
  ssize_t n = real(fd, report, sizeof report);
  if (n <= 0) return 0;
  pthread_mutex_lock(&lock);
  memcpy(ahead[fd], report, (size_t)n);
  aheadLength[fd] = n;
  pthread_mutex_unlock(&lock);
  return 1;
}

static long elapsed_ms(const struct timespec *start) {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return (now.tv_sec - start->tv_sec) * 1000 + (now.tv_nsec - start->tv_nsec) / 1000000;
}

int poll(struct pollfd *fds, nfds_t n, int timeout) {
  int (*real)(struct pollfd *, nfds_t, int) = (int (*)(struct pollfd *, nfds_t, int))next("poll");
  int any = 0;
  for (nfds_t i = 0; i < n; ++i) any |= (fds[i].events & POLLIN) && is_tracked(fds[i].fd);
  if (!any) return real(fds, n, timeout);
  struct timespec start;
  clock_gettime(CLOCK_MONOTONIC, &start);
  for (;;) {
    int ready = real(fds, n, 0);
    if (ready < 0) return ready;
    for (nfds_t i = 0; i < n; ++i) {
      if ((fds[i].events & POLLIN) && is_tracked(fds[i].fd) && look_ahead(fds[i].fd)) {
        if (fds[i].revents == 0) ++ready;
        fds[i].revents |= POLLIN;
      }
    }
    if (ready > 0 || (timeout >= 0 && elapsed_ms(&start) >= timeout)) return ready;
    struct timespec pause = {0, LOOK_INTERVAL_NS};
    nanosleep(&pause, NULL);
  }
}

/*
 * event.h - the kqueue interface of the BSD systems, for the EVFILT_VNODE filter,
 * over Linux inotify.
 *
 * kqueue() makes a queue; kevent() registers changes and waits for events as on
 * BSD. What differs: a vnode to watch is named by a handle of kq_vnode_open()
 * instead of an open file descriptor. The handle holds no descriptor and no
 * reference on the file, so a watched folder is freed (and its NOTE_DELETE
 * reported) as soon as it is deleted. kq_vnode_close() ends the handle and every
 * registration made with it, as closing the descriptor does on BSD.
 *
 * inotify is only the wake-up: every inotify event of a registration is turned
 * into the NOTE_* flags kqueue would give, and with EV_CLEAR the flags collected
 * between two reads are merged into one event. Registrations of one queue that
 * name the same file share one inotify watch, counted. When inotify's queue
 * overflows, every registration is reported with NOTE_WRITE, so that readers
 * look at every folder again, and with NOTE_DELETE when its path no longer names
 * the file registered.
 *
 * The queue is closed with close(); kqueue() forgets the state of a queue that
 * was closed when its number comes back. All calls are thread-safe; a kevent()
 * wait does not keep other threads from registering or closing handles.
 */
#ifndef VEQ_KQUEUE_EVENT_H
#define VEQ_KQUEUE_EVENT_H

#include <stdint.h>
#include <time.h>

#ifdef __cplusplus
extern "C" {
#endif

struct kevent {
    uintptr_t ident;  /* the vnode handle */
    int16_t filter;   /* EVFILT_VNODE */
    uint16_t flags;   /* EV_* actions in, EV_* state out */
    uint32_t fflags;  /* NOTE_* flags asked for in, found out */
    intptr_t data;    /* errno of a failed change (with EV_ERROR) */
    void* udata;      /* passed through */
};

#define EV_SET(kevp, a, b, c, d, e, f) \
    do {                               \
        struct kevent* ev_ = (kevp);   \
        ev_->ident = (a);              \
        ev_->filter = (b);             \
        ev_->flags = (c);              \
        ev_->fflags = (d);             \
        ev_->data = (e);               \
        ev_->udata = (f);              \
    } while (0)

#define EVFILT_VNODE (-4)

#define EV_ADD 0x0001
#define EV_DELETE 0x0002
#define EV_ENABLE 0x0004
#define EV_DISABLE 0x0008
#define EV_ONESHOT 0x0010
#define EV_CLEAR 0x0020
#define EV_RECEIPT 0x0040
#define EV_ERROR 0x4000
#define EV_EOF 0x8000

#define NOTE_DELETE 0x0001 /* the vnode was deleted */
#define NOTE_WRITE 0x0002  /* written; for a directory: its list of names changed */
#define NOTE_EXTEND 0x0004 /* grew */
#define NOTE_ATTRIB 0x0008 /* attributes changed */
#define NOTE_LINK 0x0010   /* link count changed (a sub-directory came or went) */
#define NOTE_RENAME 0x0020 /* the vnode was renamed */
#define NOTE_REVOKE 0x0040 /* access revoked (never reported here) */

int kqueue(void);
int kevent(int kq, const struct kevent* changelist, int nchanges, struct kevent* eventlist,
           int nevents, const struct timespec* timeout);

/* Names path (which must exist; links are followed) for EVFILT_VNODE; a handle
 * above 0, or -1 with errno set. */
int kq_vnode_open(const char* path);
/* Ends the handle and its registrations in every queue; 0, or -1 with EBADF. */
int kq_vnode_close(int handle);

#ifdef __cplusplus
}
#endif

#endif /* VEQ_KQUEUE_EVENT_H */

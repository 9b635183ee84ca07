/* Preloaded into 32-bit Wine when it runs under user-mode emulation (qemu-i386), on kernels
 * without 32-bit support. The emulator treats MAP_FIXED_NOREPLACE as a mere hint and maps
 * elsewhere when the range is taken, so Wine's address-space reservations land at random
 * places and later fixed mappings (the shared user data page) fail. Here the flag becomes a
 * hint whose result is checked, as on kernels that predate the flag, which Wine handles.
 * Built freestanding (no 32-bit libc headers needed); libc symbols bind at load time. */
typedef unsigned int size_t;
typedef long long off64_t;
#define MAP_FIXED_NOREPLACE 0x100000
#define MAP_FAILED ((void *)-1)
#define EEXIST 17
#define RTLD_NEXT ((void *)-1)
extern void *dlsym(void *, const char *);
extern int *__errno_location(void);
extern int munmap(void *, size_t);
typedef void *(*mmap64_fn)(void *, size_t, int, int, int, off64_t);

void *mmap64(void *addr, size_t len, int prot, int flags, int fd, off64_t off) {
  static mmap64_fn real;
  if (!real) real = (mmap64_fn)dlsym(RTLD_NEXT, "mmap64");
  if (!(flags & MAP_FIXED_NOREPLACE)) return real(addr, len, prot, flags, fd, off);
  void *p = real(addr, len, prot, flags & ~MAP_FIXED_NOREPLACE, fd, off);
  if (p != MAP_FAILED && p != addr) {
    munmap(p, len);
    *__errno_location() = EEXIST;
    return MAP_FAILED;
  }
  return p;
}

void *mmap(void *addr, size_t len, int prot, int flags, int fd, long off) {
  return mmap64(addr, len, prot, flags, fd, (off64_t)off);
}

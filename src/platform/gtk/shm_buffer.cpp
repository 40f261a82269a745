#include "platform/gtk/shm_buffer.hpp"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/platform.hpp"

namespace pw::gtk {
namespace {

[[noreturn]] void no_memory() {
    platform::end_program(1, std::string("no memory to share a picture with the compositor: ") +
                                 std::strerror(errno));
}

}  // namespace

const wl_buffer_listener ShmBuffer::kListener{ShmBuffer::on_release};

ShmBuffer::ShmBuffer(wl_shm* shm, int width, int height)
    : width_(width),
      height_(height),
      size_(static_cast<std::size_t>(width) * 4 * static_cast<std::size_t>(height)) {
    const int stride = width * 4;
    // The file only carries the pages to the compositor; the mapping keeps them alive.
    const int fd = memfd_create("petalwing-sprite", MFD_CLOEXEC);
    if (fd < 0) no_memory();
    pixels_ = ftruncate(fd, static_cast<off_t>(size_)) == 0
                  ? mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0)
                  : MAP_FAILED;
    if (pixels_ == MAP_FAILED) {
        close(fd);
        no_memory();
    }
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<std::int32_t>(size_));
    buffer_ = wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_ARGB8888);
    wl_shm_pool_destroy(pool);  // the buffer keeps the memory
    close(fd);
    wl_buffer_add_listener(buffer_, &kListener, this);
    pixels_image_.reset(pixman_image_create_bits(PIXMAN_a8r8g8b8, width, height,
                                                 static_cast<std::uint32_t*>(pixels_), stride));
}

ShmBuffer::~ShmBuffer() {
    pixels_image_.reset();
    wl_buffer_destroy(buffer_);
    munmap(pixels_, size_);
}

void ShmBuffer::attach(wl_surface* surface) {
    wl_surface_attach(surface, buffer_, 0, 0);
    busy_ = true;
}

void ShmBuffer::on_release(void* data, wl_buffer*) {
    static_cast<ShmBuffer*>(data)->busy_ = false;
}

}  // namespace pw::gtk

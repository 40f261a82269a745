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
      size_(static_cast<std::size_t>(cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, width)) *
            static_cast<std::size_t>(height)) {
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, width);
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
    image_.reset(cairo_image_surface_create_for_data(static_cast<unsigned char*>(pixels_),
                                                     CAIRO_FORMAT_ARGB32, width, height, stride));
}

ShmBuffer::~ShmBuffer() {
    image_.reset();
    wl_buffer_destroy(buffer_);
    munmap(pixels_, size_);
}

void ShmBuffer::attach(wl_surface* surface) {
    cairo_surface_flush(image_.get());
    wl_surface_attach(surface, buffer_, 0, 0);
    busy_ = true;
}

void ShmBuffer::on_release(void* data, wl_buffer*) {
    static_cast<ShmBuffer*>(data)->busy_ = false;
}

}  // namespace pw::gtk

#include "recording/JpegEncoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace tamsel {

namespace {

// libjpeg's default error handler ends the process; ours jumps back with the message.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void onError(j_common_ptr info)
{
    auto *manager = reinterpret_cast<ErrorManager *>(info->err);
    info->err->format_message(info, manager->message);
    std::longjmp(manager->jump, 1);
}

void onMessage(j_common_ptr) {} // warnings are not shown

struct RgbRows {
    const unsigned char *data;
    int width;
    int height;
    long long stride;
};

// Only plain C objects live in this frame, so the long jump skips no destructor.
bool compress(const RgbRows &rows, unsigned char **out, unsigned long *size, char *message)
{
    jpeg_compress_struct info{}; // zeroed, so that destroying it before creation is harmless
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onError;
    errors.base.output_message = onMessage;
    errors.message[0] = '\0';
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&info);
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", errors.message);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, out, size);
    info.image_width = static_cast<JDIMENSION>(rows.width);
    info.image_height = static_cast<JDIMENSION>(rows.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info); // baseline Huffman coding, no progressive scans
    jpeg_set_quality(&info, kJpegQuality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        auto *row = const_cast<JSAMPLE *>(rows.data + rows.stride * info.next_scanline);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

} // namespace

QByteArray encodeJpeg(const QImage &image, QString *error)
{
    if (image.isNull()) {
        if (error)
            *error = QStringLiteral("The image is empty.");
        return {};
    }
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    const RgbRows rows{rgb.constBits(), rgb.width(), rgb.height(), rgb.bytesPerLine()};
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    char message[JMSG_LENGTH_MAX] = {};
    const bool done = compress(rows, &buffer, &size, message);
    QByteArray bytes;
    if (done)
        bytes = QByteArray(reinterpret_cast<const char *>(buffer), static_cast<qsizetype>(size));
    else if (error)
        *error = QString::fromLocal8Bit(message);
    std::free(buffer); // allocated by the memory destination, also after a failure
    return bytes;
}

} // namespace tamsel

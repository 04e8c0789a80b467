// PNG reading and writing with libpng.
//
// libpng reports errors by longjmp from its error callback. Unwinding C++ frames with
// longjmp is undefined, and throwing through libpng's C frames is not safe either, so
// every libpng call runs inside a small C-style stage function (readHeader, readRows,
// writeFile) that sets the jump point, holds no object with a destructor, and returns
// a status; the C++ caller throws after the stage has returned. Buffers that libpng
// fills are owned by the caller's frame, which the longjmp never crosses.
#include "zscreen/png.h"
#include "zscreen/file.h"

#include "zfound/archive.h"
#include "zfound/strings.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <sys/stat.h>

ZC_EXCEPTION_FAMILY_SERIALIZE(zcScreenError::Errors, zcExceptionWithString, "zcScreenError::Errors")
ZC_EXCEPTION_DEFINE(zcScreenError::IOError, Errors, "zcScreenError::IOError", 0x1000A001)
ZC_EXCEPTION_DEFINE(zcScreenError::PngError, Errors, "zcScreenError::PngError", 0x1000A002)
ZC_EXCEPTION_DEFINE(zcScreenError::BadParams, Errors, "zcScreenError::BadParams", 0x1000A003)
ZC_EXCEPTION_DEFINE(zcScreenError::CairoError, Errors, "zcScreenError::CairoError", 0x1000A004)

namespace {

constexpr png_uint_32 kMaxSide = 65535;
// Deflate expands its input by at most 1032 to 1; the slack covers the zlib and
// chunk overhead of tiny files.
constexpr double kMaxInflation = 1032.0;
constexpr double kInflationSlack = 4096.0;

// Everything a stage shares with its caller and its callbacks: plain data only.
struct PngState {
  png_structp png = nullptr;
  png_infop info = nullptr;
  // Reading from memory, or from a file when `file` is set; `size` is the input's size.
  const unsigned char* data = nullptr;
  std::FILE* file = nullptr;
  std::size_t size = 0;
  std::size_t pos = 0;
  int readError = 0;
  // Writing: the file's bytes.
  std::vector<unsigned char>* out = nullptr;
  // The header after the transforms.
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int channels = 0;
  std::size_t rowBytes = 0;
  std::size_t fileRowBytes = 0;
  int passes = 1;
  // The first error libpng reported.
  char message[256] = {};
};

void onError(png_structp png, png_const_charp text) {
  auto* state = static_cast<PngState*>(png_get_error_ptr(png));
  if (state->message[0] == '\0') std::snprintf(state->message, sizeof state->message, "%s", text ? text : "");
  png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

void readInput(png_structp png, png_bytep out, png_size_t count) {
  auto* state = static_cast<PngState*>(png_get_io_ptr(png));
  if (state->file) {
    if (std::fread(out, 1, count, state->file) != count) {
      if (std::ferror(state->file)) state->readError = errno;
      png_error(png, "unexpected end of file");
    }
    return;
  }
  if (count > state->size - state->pos) png_error(png, "unexpected end of file");
  std::memcpy(out, state->data + state->pos, count);
  state->pos += count;
}

// Bytes written are collected in memory; the file is written whole afterwards.
void writeOutput(png_structp png, png_bytep data, png_size_t count) {
  auto* state = static_cast<PngState*>(png_get_io_ptr(png));
  bool stored = true;
  try {
    state->out->insert(state->out->end(), data, data + count);
  } catch (const std::bad_alloc&) {
    stored = false;
  }
  if (!stored) png_error(png, "out of memory");
}

void flushOutput(png_structp) {}

// Stage 1: the signature, the header chunks and the transforms to 8 bits per channel.
int readHeader(PngState* s) {
  if (setjmp(png_jmpbuf(s->png))) return 1;
  png_set_read_fn(s->png, s, &readInput);
  png_set_user_limits(s->png, kMaxSide, kMaxSide);
  // Benign errors (such as a short image data stream) are errors here.
  png_set_benign_errors(s->png, 0);
  png_read_info(s->png, s->info);
  s->fileRowBytes = png_get_rowbytes(s->png, s->info);
  const int colorType = png_get_color_type(s->png, s->info);
  const int depth = png_get_bit_depth(s->png, s->info);
  if (depth == 16) png_set_strip_16(s->png);
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(s->png);
  if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(s->png);
  // Transparency turns gray into RGBA (gray with alpha is not a format we hand out).
  const bool transparent = png_get_valid(s->png, s->info, PNG_INFO_tRNS) != 0;
  if (transparent) png_set_tRNS_to_alpha(s->png);
  if ((colorType & PNG_COLOR_MASK_ALPHA) != 0 || transparent) {
    if ((colorType & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(s->png);
  }
  s->passes = png_set_interlace_handling(s->png);
  png_read_update_info(s->png, s->info);
  s->width = png_get_image_width(s->png, s->info);
  s->height = png_get_image_height(s->png, s->info);
  s->channels = png_get_channels(s->png, s->info);
  s->rowBytes = png_get_rowbytes(s->png, s->info);
  return 0;
}

// Stage 2: the pels, row by row: the first `kept` rows into the caller's rows, the
// others (which interlaced images still pass through) into the scratch row. A
// non-interlaced image stops after the rows kept; a whole one reads the chunks after.
int readRows(PngState* s, png_bytepp rows, png_uint_32 kept, png_bytep scratch) {
  if (setjmp(png_jmpbuf(s->png))) return 1;
  const png_uint_32 last = s->passes == 1 ? kept : s->height;
  for (int pass = 0; pass < s->passes; ++pass)
    for (png_uint_32 r = 0; r < last; ++r) png_read_row(s->png, r < kept ? rows[r] : scratch, nullptr);
  if (last == s->height) png_read_end(s->png, nullptr);
  return 0;
}

// Writing: the whole file in one stage, into s->out.
int writeFile(PngState* s, int colorType, png_bytepp rows) {
  if (setjmp(png_jmpbuf(s->png))) return 1;
  png_set_write_fn(s->png, s, &writeOutput, &flushOutput);
  png_set_IHDR(s->png, s->info, s->width, s->height, 8, colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(s->png, s->info);
  png_write_image(s->png, rows);
  png_write_end(s->png, nullptr);
  return 0;
}

[[noreturn]] void pngFailure(const char* what, const PngState& s) {
  std::string text = what;
  if (s.message[0] != '\0') text += std::string(": ") + s.message;
  throw zcScreenError::PngError(zfMessageText(text));
}

struct ReadGuard {
  PngState& s;
  ~ReadGuard() { png_destroy_read_struct(&s.png, s.info ? &s.info : nullptr, nullptr); }
};

struct WriteGuard {
  PngState& s;
  ~WriteGuard() { png_destroy_write_struct(&s.png, s.info ? &s.info : nullptr); }
};

template <class T>
void checkWritable(const zcPelBuffer_const<T>& image) {
  if (!image.isBound()) throw zcScreenError::BadParams(L"PNG of an unbound pel buffer");
  if (image.width() < 1 || image.height() < 1) throw zcScreenError::BadParams(L"PNG of an empty pel buffer");
  if (image.width() > long(kMaxSide) || image.height() > long(kMaxSide))
    throw zcScreenError::BadParams(L"PNG wider or higher than 65535 pels");
}

// Writes `bytes` (height rows of width × channels bytes) as a PNG of the color type.
void writePng(const std::string& path, long width, long height, int colorType, std::vector<unsigned char>& bytes) {
  const std::size_t rowBytes = bytes.size() / static_cast<std::size_t>(height);
  std::vector<png_bytep> rows(static_cast<std::size_t>(height));
  for (std::size_t r = 0; r < rows.size(); ++r) rows[r] = bytes.data() + r * rowBytes;

  PngState s;
  s.width = static_cast<png_uint_32>(width);
  s.height = static_cast<png_uint_32>(height);
  s.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &s, &onError, &onWarning);
  if (!s.png) throw zcScreenError::PngError(L"cannot make a PNG writer");
  WriteGuard guard{s};
  s.info = png_create_info_struct(s.png);
  if (!s.info) throw zcScreenError::PngError(L"cannot make a PNG writer");

  std::vector<unsigned char> file;
  s.out = &file;
  if (writeFile(&s, colorType, rows.data())) pngFailure("cannot write PNG", s);
  zfWriteFileAtomically(path, file.data(), file.size());
}

}  // namespace

namespace {

// Decodes the PNG that `s` reads from, keeping its top-left maxWidth × maxHeight pels.
zcPngImage decode(PngState& s, long maxWidth, long maxHeight) {
  s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &s, &onError, &onWarning);
  if (!s.png) throw zcScreenError::PngError(L"cannot make a PNG reader");
  ReadGuard guard{s};
  s.info = png_create_info_struct(s.png);
  if (!s.info) throw zcScreenError::PngError(L"cannot make a PNG reader");

  if (readHeader(&s)) pngFailure("damaged PNG header", s);
  if (s.width < 1 || s.height < 1) throw zcScreenError::PngError(L"PNG too large");
  const long w = std::min(static_cast<long>(s.width), maxWidth);
  const long h = std::min(static_cast<long>(s.height), maxHeight);
  if (double(s.width) * double(h) > double(zkPngMaxPels)) throw zcScreenError::PngError(L"PNG too large");
  const double inflated = double(s.height) * (double(s.fileRowBytes) + 1.0);
  if (inflated > kMaxInflation * double(s.size) + kInflationSlack)
    throw zcScreenError::PngError(L"PNG image larger than its data can hold");
  const std::size_t expected = s.channels == 1 ? s.width : std::size_t(s.width) * std::size_t(s.channels);
  if ((s.channels != 1 && s.channels != 3 && s.channels != 4) || s.rowBytes != expected)
    throw zcScreenError::PngError(L"unsupported PNG pel format");

  std::vector<unsigned char> bytes(s.rowBytes * std::size_t(h));
  std::vector<unsigned char> scratch(s.rowBytes);
  std::vector<png_bytep> rows(static_cast<std::size_t>(h));
  for (std::size_t r = 0; r < rows.size(); ++r) rows[r] = bytes.data() + r * s.rowBytes;
  if (readRows(&s, rows.data(), static_cast<png_uint_32>(h), scratch.data())) {
    if (s.readError != 0) throw zcScreenError::IOError(zfFileErrorText("read", "the PNG file", s.readError));
    pngFailure("damaged PNG data", s);
  }

  zcPngImage out;
  if (s.channels == 1) {
    out.format = zcPngImage::eGray;
    out.gray = zcPelBuffer<unsigned char>(w, h);
    for (long r = 0; r < h; ++r) std::memcpy(out.gray.rowPointer(r), rows[std::size_t(r)], std::size_t(w));
    return out;
  }
  out.format = s.channels == 4 ? zcPngImage::eRGBA : zcPngImage::eRGB;
  out.rgb = zcPelBuffer<zcPackedRGB32>(w, h);
  for (long r = 0; r < h; ++r) {
    const unsigned char* in = rows[std::size_t(r)];
    zcPackedRGB32* pel = out.rgb.rowPointer(r);
    for (long c = 0; c < w; ++c, in += s.channels) {
      const std::uint32_t alpha = s.channels == 4 ? in[3] : 0;
      pel[c] = zcPackedRGB32(alpha << 24 | std::uint32_t(in[0]) << 16 | std::uint32_t(in[1]) << 8 | in[2]);
    }
  }
  return out;
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

zcPngImage zfReadPngBytes(const unsigned char* data, std::size_t size) {
  if (size < 8 || !data || png_sig_cmp(data, 0, 8) != 0) throw zcScreenError::PngError(L"not a PNG file");
  PngState s;
  s.data = data;
  s.size = size;
  return decode(s, long(kMaxSide), long(kMaxSide));
}

zcPngImage zfReadPng(const std::string& path) { return zfReadPng(path, long(kMaxSide), long(kMaxSide)); }

zcPngImage zfReadPng(const std::string& path, long maxWidth, long maxHeight) {
  if (maxWidth < 1 || maxHeight < 1) throw zcScreenError::BadParams(L"a PNG cropped to nothing");
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
    throw zcScreenError::IOError(zfFileErrorText("read", path, EISDIR));
  const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) throw zcScreenError::IOError(zfFileErrorText("open", path, errno));
  // The signature first: anything else is refused before more is read.
  unsigned char signature[8];
  const std::size_t got = std::fread(signature, 1, sizeof signature, file.get());
  if (got < sizeof signature && std::ferror(file.get())) throw zcScreenError::IOError(zfFileErrorText("read", path, errno));
  if (got < sizeof signature || png_sig_cmp(signature, 0, 8) != 0)
    throw zcScreenError::PngError(zfMessageText(path) + L" is not a PNG file");
  std::rewind(file.get());
  PngState s;
  s.file = file.get();
  s.size = ::fstat(fileno(file.get()), &info) == 0 && info.st_size > 0 ? std::size_t(info.st_size) : 0;
  return decode(s, maxWidth, maxHeight);
}

void zfWritePngGray(const std::string& path, const zcPelBuffer_const<unsigned char>& image) {
  checkWritable(image);
  const long w = image.width(), h = image.height();
  std::vector<unsigned char> bytes(std::size_t(w) * std::size_t(h));
  for (long r = 0; r < h; ++r)
    std::memcpy(bytes.data() + std::size_t(r) * std::size_t(w), image.rowPointer(image.offset().y() + r),
                std::size_t(w));
  writePng(path, w, h, PNG_COLOR_TYPE_GRAY, bytes);
}

namespace {
void writeRGB(const std::string& path, const zcPelBuffer_const<zcPackedRGB32>& image, bool alpha) {
  checkWritable(image);
  const long w = image.width(), h = image.height();
  const std::size_t channels = alpha ? 4 : 3;
  std::vector<unsigned char> bytes(std::size_t(w) * std::size_t(h) * channels);
  unsigned char* out = bytes.data();
  for (long r = 0; r < h; ++r) {
    const zcPackedRGB32* pel = image.rowPointer(image.offset().y() + r);
    for (long c = 0; c < w; ++c) {
      *out++ = pel[c].red();
      *out++ = pel[c].green();
      *out++ = pel[c].blue();
      if (alpha) *out++ = static_cast<unsigned char>(pel[c].value() >> 24);
    }
  }
  writePng(path, w, h, alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, bytes);
}
}  // namespace

void zfWritePngRGB(const std::string& path, const zcPelBuffer_const<zcPackedRGB32>& image) {
  writeRGB(path, image, false);
}

void zfWritePngRGBA(const std::string& path, const zcPelBuffer_const<zcPackedRGB32>& image) {
  writeRGB(path, image, true);
}

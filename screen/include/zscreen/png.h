// PNG files as pel buffers, and the failures of the screen component.
//
//   zcPngImage img = zfReadPng("board.png");        // gray, RGB or RGBA
//   if (img.format == zcPngImage::eGray) use(img.gray);
//   zfWritePngRGBA("out.png", pels);                // alpha in the top byte of each pel
//
// Reading accepts every PNG and converts it to 8 bits per channel: gray (1 to 16
// bits, without alpha) becomes eGray; gray with alpha, and palette or RGB images with
// transparency, become eRGBA; other palette and RGB images become eRGB. Interlaced
// images are read too. Writing produces 8-bit, non-interlaced files.
//
// RGB pels are zcPackedRGB32 values 0xAARRGGBB: the RGB channels as zcPackedRGB32
// holds them and, for eRGBA, the alpha in the top byte (0 transparent, 255 opaque;
// not premultiplied). eRGB images have a top byte of 0; zfWritePngRGB ignores it.
//
// Failures (the zcScreenError family, each with a message):
//   0x1000A001 zcScreenError::IOError    a file that cannot be opened, read or written
//   0x1000A002 zcScreenError::PngError   not a PNG, a damaged or truncated PNG, or one
//                                        whose size passes the limits below
//   0x1000A003 zcScreenError::BadParams  an argument the screen refuses (an unbound or
//                                        empty buffer to write, a bad screen size or
//                                        palette)
//   0x1000A004 zcScreenError::CairoError Cairo could not make a surface or a context
// A failed read returns nothing and changes nothing. A write encodes the whole file in
// memory and then writes it with zfWriteFileAtomically (zscreen/file.h): a failed write
// leaves the file as it was. I/O failures carry the system's reason.
//
// Limits. A PNG is read into one buffer: width and height are limited to 65535 pels,
// the pel count kept to zkPngMaxPels, and the decompressed size may not exceed what the
// file's compressed bytes can hold (deflate expands by at most 1032 to 1), so that a
// small damaged file cannot ask for a huge allocation. A cropped read decodes row by
// row and holds only the rows it keeps (at their full width): a large PNG read for a
// small screen costs the small screen's rows. It stops after those rows unless the
// image is interlaced, so damage below them goes unnoticed.
#pragma once

#include "zscreen/export.h"

#include "zfound/exception.h"
#include "zfound/pelbuf.h"

#include <cstddef>
#include <string>

class ZSCREEN_API zcScreenError {
public:
  ZC_EXCEPTION_FAMILY_WITH_MESSAGE(ZSCREEN_API, zcExceptionWithString)
  ZC_EXCEPTION_CLASS_WITH_MESSAGE(ZSCREEN_API, IOError, Errors)
  ZC_EXCEPTION_CLASS_WITH_MESSAGE(ZSCREEN_API, PngError, Errors)
  ZC_EXCEPTION_CLASS_WITH_MESSAGE(ZSCREEN_API, BadParams, Errors)
  ZC_EXCEPTION_CLASS_WITH_MESSAGE(ZSCREEN_API, CairoError, Errors)
};

// The largest pel count of an image read from PNG (64 M pels, 256 MB as RGB32).
inline constexpr long zkPngMaxPels = 64L * 1024 * 1024;

// A decoded PNG: the buffer of its format is bound, the other one unbound.
struct ZSCREEN_API zcPngImage {
  enum zeFormat : int { eGray = 0, eRGB = 1, eRGBA = 2 };

  zeFormat format = eGray;
  zcPelBuffer<unsigned char> gray;  // eGray
  zcPelBuffer<zcPackedRGB32> rgb;   // eRGB and eRGBA, 0xAARRGGBB

  long width() const { return format == eGray ? gray.width() : rgb.width(); }
  long height() const { return format == eGray ? gray.height() : rgb.height(); }
};

// Reads a PNG file (IOError when it cannot be read or is a directory, PngError when it
// is not a valid PNG; the signature is checked before anything else is read) or a PNG
// held in memory (PngError only).
ZSCREEN_API zcPngImage zfReadPng(const std::string& path);
// The same, keeping only the top-left maxWidth × maxHeight pels (or fewer); a limit
// below 1 raises BadParams.
ZSCREEN_API zcPngImage zfReadPng(const std::string& path, long maxWidth, long maxHeight);
ZSCREEN_API zcPngImage zfReadPngBytes(const unsigned char* data, std::size_t size);

// Write the buffer's window as an 8-bit gray, RGB or RGBA PNG. An unbound buffer or
// an empty window raises BadParams before the file is touched.
ZSCREEN_API void zfWritePngGray(const std::string& path, const zcPelBuffer_const<unsigned char>& image);
ZSCREEN_API void zfWritePngRGB(const std::string& path, const zcPelBuffer_const<zcPackedRGB32>& image);
ZSCREEN_API void zfWritePngRGBA(const std::string& path, const zcPelBuffer_const<zcPackedRGB32>& image);

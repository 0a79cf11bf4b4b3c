#pragma once

#include "picture/ByteSource.h"
#include "picture/PictureStream.h"

#include <memory>

namespace masume {

struct JpegReading
{
    PictureUse use = PictureUse::Whole;
    // Colour files quantised to 236 colours, for displays of 8 or fewer bits.
    bool eightBitOutput = false;
    // Photos turned upright as their Exif block says (picture/Orientation.h):
    // width() and height() are the upright ones. The rows of orientations 1
    // and 2 are decoded as they are asked for; for 3 to 8 the picture is
    // decoded whole into its upright form first.
    bool autoOrient = true;
};

// Reads a JPEG file's header from source and makes its rows ready: raises
// "JPEG エラー #%d" for data the library rejects (#%d of JERR_INPUT_EOF for
// a first scan too short for the blocks it claims, picture/JpegScanCheck.h),
// "ストリームからの読み込みエラー" when the source fails, "メモリが不足しています" when the picture
// (or, for rows, what the decoder holds) does not fit. Decoded by libjpeg-turbo at full scale with
// the float DCT, fancy upsampling and block smoothing; greyscale files to three equal channels of
// all 256 levels, CMYK and YCCK converted to RGB. The source must outlive the stream.
std::unique_ptr<PictureStream> openJpegStream(ByteSource &source, const JpegReading &reading);

} // namespace masume

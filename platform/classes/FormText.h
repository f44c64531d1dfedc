// The text form format and its conversion to and from the binary form format.
//
// Text form:   object Name: TClass [index]      (or inherited / inline)
//                Prop.Sub = value
//                object Child: TChild
//                end
//              end
// Values: integers, floats (suffix S single, F double, C currency, D date; none
// = extended), strings as 'quoted' pieces and #nnn character codes joined by +,
// identifiers, True/False/nil (and Null as a property's value), [a, b] sets,
// ( ... ) lists, { hex } binary data and < item ... end > collections.
#pragma once

#include "platform/rtl/Types.h"

class TStream;

// Reads one object in the text form from Input (UTF-8 with or without a BOM;
// text that is not valid UTF-8 is read in the system code page) and writes
// "TPF0" and the object to Output. Bad text raises EParserError naming the line.
void ObjectTextToBinary(TStream* Input, TStream* Output);
// Reads "TPF0" and one object from Input and writes its text form (ASCII,
// CR LF line ends) to Output. A truncated or corrupt stream raises EReadError
// or EFilerError.
void ObjectBinaryToText(TStream* Input, TStream* Output);

// The same conversions on byte strings (the build tool and the fuzz targets
// use them).
RawByteString ObjectTextToBinary(const RawByteString& Text);
RawByteString ObjectBinaryToText(const RawByteString& Binary);

// The format of a stream's contents from its current position.
enum TStreamOriginalFormat { sofUnknown, sofBinary, sofText, sofUTF8Text };
TStreamOriginalFormat TestStreamFormat(TStream* Stream);
TStreamOriginalFormat TestStreamFormat(const RawByteString& Bytes);

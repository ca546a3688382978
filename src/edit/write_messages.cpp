#include "edit/write_messages.h"

#include <cstdio>

#include "edit/write_image.h"
#include "sprite/sprite_data.h"

namespace vcv {

const char kWriteConfirmTitle[] = "Write Confirm";
const char kOverwriteQuestion[] = "Do you want to overwrite?";
const char kOverwriteQuestionLine[] = "Do you want to overwrite?       \r\n";

const char kSizeOverTitle[] = "サイズオーバー";
const char kRepackSuccessTitle[] = "同バンク内イメージ再格納に成功";
const char kRepackFailureTitle[] = "失敗";
const char kAddressErrorTitle[] = "エラー";
const char kAddressErrorText[] = "アドレスが間違ってます";

const char kWriteErrorTitle[] = "Write Error";
const char kNotWritableText[] =
    "The ROM file cannot be opened for writing (it may be read-only, locked or gone). "
    "Nothing was written.";
const char kOutsideFileText[] =
    "The data would not lie wholly inside the ROM file. Nothing was written.";
const char kPackRefusedText[] =
    "The tile data cannot be compressed into one block. Nothing was written.";
const char kPackVerifyText[] =
    "The compressed data does not decode back to the tile data. Nothing was written.";
std::string pack_too_long_text(int packed_size) {
  char text[200];
  std::snprintf(text, sizeof text,
                "The compressed data would be %06X bytes, but graphics blocks are read back at "
                "most %06X bytes long. Nothing was written.",
                static_cast<unsigned>(packed_size), static_cast<unsigned>(kPackedReadSize));
  return text;
}

const char kPointerReadBackText[] =
    "The graphics pointer read back from the ROM file differs from the one written.";
const char kNotDecodedText[] =
    "The graphics of this entry could not be decoded when it was loaded, so there is nothing "
    "to write back. Nothing was written.";
const char kNoPositionDataText[] =
    "The frame layouts of this entry were not read because its graphics could not be decoded. "
    "Nothing was written.";
const char kTableReadBackText[] =
    "The bytes read back from the ROM file differ from those written. The command stopped.";

namespace {

std::string format(const char* pattern, unsigned a, unsigned b = 0) {
  char text[512];
  std::snprintf(text, sizeof text, pattern, a, b);
  return text;
}

}  // namespace

std::string size_over_text(int stored_size, int new_size) {
  return std::string("圧縮サイズが元のサイズをオーバーしているので書き込めません。\r\n"
                     "同BANK内のイメージデータの再格納を試みますか？") +
         format("\r\n 元のサイズ %06X\r\n 変更後の圧縮サイズ %06X",
                static_cast<unsigned>(stored_size), static_cast<unsigned>(new_size));
}

std::string repack_success_text(int free_bytes) {
  return std::string("成功しました。") +
         format("\r\n バンク余り領域サイズ=%06X", static_cast<unsigned>(free_bytes));
}

std::string repack_failure_text(int code) {
  return std::string("失敗しました。さらに続ける場合は次のダイアログで格納するアドレスを"
                     "指定してください。") +
         format("\r\n エラーコード=%0d", static_cast<unsigned>(code));
}

std::string repack_stop_text(int result) {
  switch (result) {
    case kRepackNotWritable:
      return kNotWritableText;
    case kRepackVerifyFailed:
      return "A block of the bank region does not decode back to its pictures after "
             "re-encoding. Nothing was written.";
    case kRepackReadBackFailed:
      return "The bytes read back from the ROM file after repacking differ from those "
             "written. The command stopped.";
    default:
      return format("Repacking failed with code %d. Nothing was written.",
                    static_cast<unsigned>(-result));
  }
}

std::string read_back_text(uint32_t file_position) {
  return format("The bytes read back at file position %06X differ from those written. "
                "The command stopped; the graphics pointer was not changed.",
                file_position);
}

std::string write_confirm_text(uint32_t address, uint32_t file_position, int stored_size,
                               int new_size) {
  return std::string("Do you want to overwrite?       \n\n") +
         format("Writing Address %06X\r\nOverwriting at Address %06X\r\n", address,
                file_position) +
         format("Original Size %06X\r\nSize After Changes %06X",
                static_cast<unsigned>(stored_size), static_cast<unsigned>(new_size));
}

}  // namespace vcv

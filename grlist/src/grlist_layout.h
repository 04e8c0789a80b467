/* The record layout of grlist/grlist.h as one check, shared by the library and by the
 * display core's reader of graphics lists. Internal: never installed, nothing exported.
 * Plain C that also compiles as C++. */
#ifndef GRLIST_LAYOUT_H
#define GRLIST_LAYOUT_H

#include "grlist/grlist.h"

static inline uint32_t zgr_get_u32(const unsigned char* p) {
  return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

/* Payload sizes of the fixed kinds; -1 for the kinds sized by their contents. */
static const long zgr_fixed_payload[] = {16, 32, 32, 32, 56, 24, 104, -1, 48, -1, -1};

/* The payload size that a record of `kind` with the payload at p needs, which has `room`
 * bytes up to the end of the used bytes; 0 when it does not fit or breaks its layout. */
static inline size_t zgr_payload_size(uint32_t kind, const unsigned char* payload, size_t room) {
  size_t need;
  if (kind > ZGR_KIND_LINE_SEG_SET || zgr_fixed_payload[kind] >= 0) {
    need = kind > ZGR_KIND_LINE_SEG_SET ? 16 : (size_t)zgr_fixed_payload[kind];
  } else if (kind == ZGR_KIND_TEXT) {
    size_t at = ZGR_TEXT_FIXED_SIZE;
    while (at + 2 <= room && (payload[at] | payload[at + 1]) != 0) at += 2;
    need = at + 2;
  } else {
    const size_t head = kind == ZGR_KIND_POLYLINE ? 8 : 4, each = kind == ZGR_KIND_POLYLINE ? 16 : 32;
    if (room < head) return 0;
    const int32_t n = (int32_t)zgr_get_u32(payload);
    if (n < 0 || (size_t)n > (room - head) / each) return 0;
    need = head + each * (size_t)n;
  }
  return need <= room ? need : 0;
}

/* The whole size of the record at p, which has `left` bytes up to the end of the used
 * bytes; 0 when it does not fit or breaks its layout. */
static inline size_t zgr_record_size(const unsigned char* p, size_t left) {
  if (left < ZGR_HEADER_SIZE) return 0;
  const size_t need = zgr_payload_size(zgr_get_u32(p), p + ZGR_HEADER_SIZE, left - ZGR_HEADER_SIZE);
  return need ? ZGR_HEADER_SIZE + need : 0;
}

/* ZF_STATUS_OK when the list's records fill exactly its used bytes (a count below 1 is an
 * empty list), else ZF_STATUS_MALFORMED with *bad the index of the first record that does
 * not fit (the count when bytes follow the last) and *at its byte offset. */
static inline int32_t zgr_check_records(const zgr_list* list, int32_t* bad, size_t* at) {
  *bad = 0;
  *at = 0;
  if (list->count <= 0) return ZF_STATUS_OK;
  if (!list->records) return ZF_STATUS_MALFORMED;
  for (; *bad < list->count; ++*bad) {
    const size_t size = zgr_record_size(list->records + *at, list->used - *at);
    if (size == 0) return ZF_STATUS_MALFORMED;
    *at += size;
  }
  return *at == list->used ? ZF_STATUS_OK : ZF_STATUS_MALFORMED;
}

#endif

/*
 * fields.h: the fields of each rqweb record by name, to print a result as
 * name=value lines and to fill a request record from name=value arguments.
 */
#ifndef KELM_RQWEB_CALL_FIELDS_H
#define KELM_RQWEB_CALL_FIELDS_H

#include "web_service.h"

#include <cstdio>

/* Prints every field of the record, one "name=value" a line. */
void print_record(std::FILE *out, const VideoPara_T &record);
void print_record(std::FILE *out, const VideoQuantify_T &record);
void print_record(std::FILE *out, const IBPMode_T &record);
void print_record(std::FILE *out, const OsdLogo_T &record);
void print_record(std::FILE *out, const PtzInfo_T &record);
void print_record(std::FILE *out, const ChannelInfo_T &record);
void print_record(std::FILE *out, const ServerInfo_T &record);
void print_record(std::FILE *out, const VodInfo_T &record);
void print_array(std::FILE *out, const Byte_Array &array);
void print_array(std::FILE *out, const String_Array &array);

/* Sets the field that "name=value" names; false when there is no such
   field or the value does not fit it. */
bool set_field(VideoPara_T &record, const char *assignment);
bool set_field(VideoQuantify_T &record, const char *assignment);
bool set_field(IBPMode_T &record, const char *assignment);
bool set_field(OsdLogo_T &record, const char *assignment);
bool set_field(PtzInfo_T &record, const char *assignment);
bool set_field(ChannelInfo_T &record, const char *assignment);
bool set_field(ServerInfo_T &record, const char *assignment);
bool set_field(VodInfo_T &record, const char *assignment);

/* Field names of a record, for the help text ("brightness contrast ..."). */
const char *field_names(const VideoPara_T *);
const char *field_names(const VideoQuantify_T *);
const char *field_names(const IBPMode_T *);
const char *field_names(const OsdLogo_T *);
const char *field_names(const PtzInfo_T *);
const char *field_names(const ChannelInfo_T *);
const char *field_names(const ServerInfo_T *);
const char *field_names(const VodInfo_T *);

/* Whole-text number and boolean parsing shared with the operations. */
bool parse_int(const char *text, int &value);
bool parse_bool(const char *text, bool &value);

#endif

/*
 * rqweb_namespaces.h: the namespace table every rqweb context is given, by
 * the client proxy and by the simulator alike.
 */
#ifndef KELM_SERVICE_RQWEB_NAMESPACES_H
#define KELM_SERVICE_RQWEB_NAMESPACES_H

struct Namespace;

extern const struct Namespace rqweb_namespaces[];

#endif

#include "httpresponseplan.h"

HttpResponsePlan HttpResponsePlan::withBody(const QByteArray &body, const QByteArray &contentType)
{
    HttpResponsePlan plan;
    plan.body = body;
    plan.contentType = contentType;
    return plan;
}

HttpResponsePlan HttpResponsePlan::withStatus(int status)
{
    HttpResponsePlan plan;
    plan.status = status;
    plan.contentType = "text/plain";
    plan.body = QByteArray::number(status) + ' ' + httpReasonPhrase(status) + '\n';
    return plan;
}

HttpResponsePlan HttpResponsePlan::stalled()
{
    HttpResponsePlan plan;
    plan.sendsHeaders = false;
    plan.afterBody = AfterBody::Stall;
    return plan;
}

HttpResponsePlan HttpResponsePlan::redirectTo(const QString &location, int status)
{
    HttpResponsePlan plan;
    plan.status = status;
    plan.location = location;
    plan.contentType = "text/plain";
    return plan;
}

HttpResponsePlan HttpResponsePlan::fromFile(const QString &filePath)
{
    HttpResponsePlan plan;
    plan.bodyFile = filePath;
    return plan;
}

QByteArray httpReasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 303: return "See Other";
    case 307: return "Temporary Redirect";
    case 308: return "Permanent Redirect";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 410: return "Gone";
    case 429: return "Too Many Requests";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    case 504: return "Gateway Timeout";
    default: return "Status";
    }
}

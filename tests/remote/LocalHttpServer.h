#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <memory>

namespace remote_test
{

/** A tiny HTTP server on 127.0.0.1 for the update check: answers every GET with one configured
    status and body, or, when told to stall, accepts the connection and never answers. It records
    the request lines it has seen. */
class LocalHttpServer : private juce::Thread
{
public:
    LocalHttpServer() : juce::Thread("Test HTTP Server")
    {
        listener.createListener(0, "127.0.0.1");
        startThread();
    }

    ~LocalHttpServer() override
    {
        signalThreadShouldExit();
        listener.close();
        stopThread(5000);
    }

    int getPort() const { return listener.getBoundPort(); }

    /** "http://127.0.0.1:PORT" followed by a path. */
    juce::String address(const juce::String& path) const
    {
        return "http://127.0.0.1:" + juce::String(getPort()) + path;
    }

    void respond(int status, const juce::String& body)
    {
        const juce::ScopedLock lock(mutex);
        responseStatus = status;
        responseBody = body;
        stalls = false;
    }

    void stall()
    {
        const juce::ScopedLock lock(mutex);
        stalls = true;
    }

    juce::StringArray getRequestLines() const
    {
        const juce::ScopedLock lock(mutex);
        return requestLines;
    }

private:
    void run() override
    {
        while (!threadShouldExit())
        {
            if (listener.waitUntilReady(true, 50) != 1)
                continue;
            std::unique_ptr<juce::StreamingSocket> client(listener.waitForNextConnection());
            if (client != nullptr)
                serve(*client);
        }
    }

    void serve(juce::StreamingSocket& client)
    {
        juce::String request;
        char buffer[1024];
        while (!request.contains("\r\n\r\n") && !threadShouldExit())
        {
            if (client.waitUntilReady(true, 2000) != 1)
                return;
            const int read = client.read(buffer, sizeof(buffer), false);
            if (read <= 0)
                return;
            request += juce::String::fromUTF8(buffer, read);
        }

        int status;
        juce::String body;
        bool stallThisOne;
        {
            const juce::ScopedLock lock(mutex);
            requestLines.add(request.upToFirstOccurrenceOf("\r\n", false, false));
            status = responseStatus;
            body = responseBody;
            stallThisOne = stalls;
        }

        if (stallThisOne)
        {
            // Hold the connection open without a word until the client gives up.
            while (!threadShouldExit() && client.waitUntilReady(true, 50) == 0)
            {
            }
            return;
        }

        const auto* bodyBytes = body.toRawUTF8();
        const auto bodySize = static_cast<int>(body.getNumBytesAsUTF8());
        const juce::String header = "HTTP/1.1 " + juce::String(status) +
                                    " Answer\r\nContent-Type: text/xml\r\n"
                                    "Content-Length: " +
                                    juce::String(bodySize) + "\r\nConnection: close\r\n\r\n";
        client.write(header.toRawUTF8(), static_cast<int>(header.getNumBytesAsUTF8()));
        client.write(bodyBytes, bodySize);
    }

    juce::StreamingSocket listener;
    juce::CriticalSection mutex;
    int responseStatus = 200;
    juce::String responseBody;
    bool stalls = false;
    juce::StringArray requestLines;
};

} // namespace remote_test

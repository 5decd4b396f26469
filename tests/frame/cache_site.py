# A small site for the engine cache tests: /page sets a session cookie and
# pulls in a large cacheable script; /check shows the Cookie header it got
# and, when a record file is named, writes it there too.
#
#   python3 cache_site.py <port file> [<cookie record file>]
import http.server, os, sys

record = sys.argv[2] if len(sys.argv) > 2 else None


class Handler(http.server.BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def answer(self, body, headers):
        self.send_response(200)
        for k, v in headers:
            self.send_header(k, v)
        self.send_header('Content-Length', str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        if self.path == '/page':
            self.answer(b'<html><body>game<script src="/game.js"></script></body></html>',
                        [('Content-Type', 'text/html'), ('Cache-Control', 'max-age=86400'),
                         ('Set-Cookie', 'session=abc123; Max-Age=86400; Path=/')])
        elif self.path == '/game.js':
            self.answer(b'var game = "' + b'x' * 40000 + b'";',
                        [('Content-Type', 'application/javascript'), ('Cache-Control', 'max-age=86400')])
        elif self.path == '/check':
            cookie = self.headers.get('Cookie') or 'none'
            if record:
                open(record + '.tmp', 'w').write(cookie)
                os.rename(record + '.tmp', record)
            self.answer(('<html><body>' + cookie + '</body></html>').encode(),
                        [('Content-Type', 'text/html'), ('Cache-Control', 'no-store')])
        else:
            self.send_error(404)


server = http.server.HTTPServer(('127.0.0.1', 0), Handler)
open(sys.argv[1] + '.tmp', 'w').write(str(server.server_address[1]))
os.rename(sys.argv[1] + '.tmp', sys.argv[1])
server.serve_forever()

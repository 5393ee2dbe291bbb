// Serves a folder on the loopback address, opens its page in Chromium, prints
// the console as it comes, waits for a line, takes a screenshot and fails on
// any page error, console error or failed request.
//   node tests/web/run_page.mjs DIR [--page index.html] [--isolate] [--phone]
//        [--wait-for REGEX] [--timeout MS] [--linger MS] [--screenshot FILE]
import { startServer } from './serve.mjs';
import { openPage } from './browser.mjs';

function parse(argv) {
  const options = { page: 'index.html', timeout: 30000, linger: 0 };
  const positional = [];
  for (let i = 0; i < argv.length; i++) {
    const a = argv[i];
    if (a === '--isolate') options.isolate = true;
    else if (a === '--phone') options.phone = true;
    else if (a.startsWith('--')) options[a.slice(2).replace(/-(\w)/g, (_, c) => c.toUpperCase())] = argv[++i];
    else positional.push(a);
  }
  options.root = positional[0];
  return options;
}

const options = parse(process.argv.slice(2));
if (!options.root) {
  console.error('usage: node run_page.mjs DIR [--page P] [--isolate] [--phone] [--wait-for REGEX] '
    + '[--timeout MS] [--linger MS] [--screenshot FILE]');
  process.exit(2);
}
const server = await startServer({ root: options.root, isolate: !!options.isolate });
const session = await openPage(server.url + options.page, {
  phone: !!options.phone,
  onLine: (line) => console.log(`[${line.ms} ms] ${line.text}`),
});
let failed = false;
try {
  if (options.waitFor) await session.waitForConsole(new RegExp(options.waitFor), Number(options.timeout));
  await session.page.waitForTimeout(Number(options.linger));
  if (options.screenshot) await session.screenshot(options.screenshot);
} catch (error) {
  console.error(String(error.message || error));
  failed = true;
}
for (const p of session.problems()) {
  console.error(p);
  failed = true;
}
await session.close();
await server.close();
process.exit(failed ? 1 : 0);

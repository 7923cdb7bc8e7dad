// A TDS client nobody here wrote (tedious), driven by the tests so that the TDS test server is
// checked against more than the FreeTDS driver it was built with. It takes a plan as JSON:
//
//   { "port": 1433, "user": "sa", "password": "...", "database": "sample",
//     "tdsVersion": "7_4", "encrypt": true, "ca": "/path/ca.pem", "serverName": "localhost",
//     "steps": [ { "sql": "select 1" },
//                { "sql": "select n from numbers", "cancelAfterRows": 100 },
//                { "sql": "waitfor delay '00:01:00'", "cancelAfterMs": 300 },
//                { "sql": "select ...", "show": true },
//                { "sql": "select @out = @in * 2", "params": [
//                    { "name": "in", "type": "Int", "value": 21 },
//                    { "name": "out", "type": "Int", "output": true } ] },
//                { "sql": "procedure_name", "procedure": true, "params": [...] } ] }
//
// and prints one line for each thing that happened, for the test to compare:
//
//   connected 7_4                the login, with the TDS version tedious settled on
//   connect failed: CODE: text   the login failed
//   columns a:Int b:NVarChar     a shown step's columns, with tedious's type names
//   row 1 | text                 a shown step's row
//   info 0: text                 a message (PRINT)
//   rows N                       a step ended; N is what its DONE tokens counted
//   canceled after N rows        a step ended by its cancel
//   error NUMBER: text           a step failed
//   output NAME: value           an OUTPUT parameter's value (RETURNVALUE), before "rows"
//
// It ends by itself within 30 seconds, whatever the server does.
'use strict';

const { Connection, Request, TYPES } = require('tedious');
const fs = require('fs');

const plan = JSON.parse(process.argv[2]);
const say = (line) => process.stdout.write(line + '\n');

setTimeout(() => {
  say('timed out');
  process.exit(2);
}, 30000).unref();

function configuration() {
  const options = {
    port: plan.port,
    database: plan.database || 'master',
    tdsVersion: plan.tdsVersion || '7_4',
    encrypt: plan.encrypt === undefined ? false : plan.encrypt,
    trustServerCertificate: !plan.ca,
    connectTimeout: 15000,
    requestTimeout: 0,
    appName: plan.appName || 'tedious-client',
  };
  if (plan.ca) options.cryptoCredentialsDetails = { ca: fs.readFileSync(plan.ca) };
  if (plan.serverName) options.serverName = plan.serverName;
  return {
    server: plan.server || '127.0.0.1',
    authentication: {
      type: 'default',
      options: { userName: plan.user || 'sa', password: plan.password },
    },
    options,
  };
}

function shown(value) {
  if (value === null) return 'NULL';
  if (value instanceof Date) return value.toISOString();
  if (Buffer.isBuffer(value)) return '0x' + value.toString('hex');
  return String(value);
}

function runStep(connection, step) {
  return new Promise((resolve) => {
    let rows = 0;
    let canceled = false;
    const request = new Request(step.sql, (error, rowCount) => {
      if (error && error.code === 'ECANCEL') say(`canceled after ${rows} rows`);
      else if (error) say(`error ${error.number}: ${error.message}`);
      else say(`rows ${rowCount}`);
      resolve();
    });
    const cancel = () => {
      if (!canceled) {
        canceled = true;
        connection.cancel();
      }
    };
    request.on('columnMetadata', (columns) => {
      if (step.show)
        say('columns ' + columns.map((c) => `${c.colName}:${c.type.name}`).join(' '));
    });
    request.on('row', (columns) => {
      rows++;
      if (step.show) say('row ' + columns.map((c) => shown(c.value)).join(' | '));
      if (step.cancelAfterRows !== undefined && rows >= step.cancelAfterRows) cancel();
    });
    request.on('returnValue', (name, value) => say(`output ${name}: ${shown(value)}`));
    for (const param of step.params || []) {
      const type = TYPES[param.type];
      if (param.output) request.addOutputParameter(param.name, type, param.value);
      else request.addParameter(param.name, type, param.value);
    }
    if (step.cancelAfterMs !== undefined) setTimeout(cancel, step.cancelAfterMs);
    // A procedure goes as an RPC of its own; a statement with parameters as sp_executesql.
    if (step.procedure) connection.callProcedure(request);
    else connection.execSql(request);
  });
}

const connection = new Connection(configuration());
connection.on('error', (error) => say(`connection error: ${error.message}`));
connection.connect(async (error) => {
  if (error) {
    say(`connect failed: ${error.code}: ${error.message}`);
    process.exit(1);
  }
  say(`connected ${connection.config.options.tdsVersion}`);
  connection.on('infoMessage', (info) => say(`info ${info.number}: ${info.message}`));
  for (const step of plan.steps || []) await runStep(connection, step);
  connection.close();
});

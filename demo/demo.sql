-- The demo database of the Velmora 2 workspace: a small shop, with every kind of column the
-- program shows (identity keys, text, whole and decimal numbers, dates, flags and blobs), a
-- view, and the "sysdatabases" view the schema browser lists databases from.
PRAGMA foreign_keys = ON;

CREATE TABLE customers (
    customer_id INTEGER PRIMARY KEY AUTOINCREMENT,
    name        VARCHAR(60) NOT NULL,
    city        VARCHAR(40),
    email       VARCHAR(80),
    joined      DATETIME NOT NULL,
    active      BIT NOT NULL DEFAULT 1
);

CREATE TABLE products (
    product_id  INTEGER PRIMARY KEY AUTOINCREMENT,
    name        VARCHAR(60) NOT NULL,
    price       FLOAT NOT NULL,
    stock       INT NOT NULL DEFAULT 0,
    discontinued BIT NOT NULL DEFAULT 0,
    description TEXT,
    -- Declared so that the ODBC driver reports a long binary (a blob field) rather than a
    -- 255-byte BLOB; SQLite stores any size either way.
    picture     LONGVARBINARY
);

CREATE TABLE orders (
    order_id    INTEGER PRIMARY KEY AUTOINCREMENT,
    customer_id INT NOT NULL REFERENCES customers(customer_id),
    ordered     DATETIME NOT NULL,
    shipped     DATETIME,
    note        VARCHAR(200)
);

CREATE TABLE order_lines (
    order_id    INT NOT NULL REFERENCES orders(order_id),
    line_no     INT NOT NULL,
    product_id  INT NOT NULL REFERENCES products(product_id),
    quantity    INT NOT NULL,
    unit_price  FLOAT NOT NULL,
    PRIMARY KEY (order_id, line_no)
);

INSERT INTO customers (name, city, email, joined, active) VALUES
    ('Ada Lindqvist', 'Uppsala', 'ada@example.org', '2021-03-14 09:26:53', 1),
    ('Bruno Castell', 'Girona', 'bruno@example.org', '2022-07-01 16:05:00', 1),
    ('Chiara Monti', 'Bologna', NULL, '2023-01-19 11:40:12', 0),
    ('Dmitri Orlov', 'Tartu', 'dmitri@example.org', '2024-10-02 08:00:00', 1),
    ('Émile Fournier', 'Lyon', 'emile@example.org', '2025-05-23 13:37:42', 1);

INSERT INTO products (name, price, stock, discontinued, description, picture) VALUES
    ('Fountain pen', 24.5, 120, 0, 'Steel nib, refillable converter.', X'89504E470D0A1A0A'),
    ('Ink bottle, blue-black', 8.75, 300, 0, 'Fifty millilitres.', NULL),
    ('Notebook A5, dotted', 12.0, 80, 0, NULL, NULL),
    ('Blotting paper', 3.2, 0, 1, 'Sold out for good.', NULL),
    ('Desk lamp', 59.9, 15, 0, 'Warm light, two brightness levels.', X'FFD8FFE000104A464946');

INSERT INTO orders (customer_id, ordered, shipped, note) VALUES
    (1, '2025-01-05 10:15:00', '2025-01-06 09:00:00', NULL),
    (2, '2025-02-11 18:42:30', NULL, 'Gift wrap, please'),
    (1, '2025-03-02 07:59:59', '2025-03-03 12:00:00', NULL),
    (4, '2025-04-20 21:10:05', NULL, NULL);

INSERT INTO order_lines (order_id, line_no, product_id, quantity, unit_price) VALUES
    (1, 1, 1, 1, 24.5), (1, 2, 2, 2, 8.75),
    (2, 1, 5, 1, 59.9),
    (3, 1, 3, 4, 12.0),
    (4, 1, 2, 1, 8.75), (4, 2, 3, 1, 12.0);

CREATE VIEW order_totals AS
    SELECT o.order_id, c.name AS customer, o.ordered,
           SUM(l.quantity * l.unit_price) AS total
    FROM orders o
    JOIN customers c ON c.customer_id = o.customer_id
    JOIN order_lines l ON l.order_id = o.order_id
    GROUP BY o.order_id, c.name, o.ordered;

-- The databases of this connection, as the schema browser asks for them.
CREATE VIEW sysdatabases AS
    SELECT name AS name, seq AS dbid, file AS filename FROM pragma_database_list;
